#include "link/DorvanePort.hpp"

#include <algorithm>
#include <optional>

#include "text/Unicode.hpp"

namespace dorvane::DorvanePort {
namespace {

constexpr std::string_view preferredProductText = "Dorvane";

struct UsbIdentity {
    std::int64_t vendorID;
    std::optional<std::string> product;  // none when no entry of the device names it
};

struct Candidate {
    std::string path;
    std::optional<std::string> product;
};

std::optional<std::string> productName(const RegistryEntry& entry) {
    for (const auto key : {registry_key::usbProductName, registry_key::usbProductString,
                           registry_key::productName}) {
        if (auto name = entry.stringProperty(key)) {
            return name;
        }
    }
    return std::nullopt;
}

// On macOS the first entry with the vendor is the CDC interface, which names no product; the
// USB device above it carries the same vendor and the name. An entry of another vendor is
// another device (a hub, a controller): its name is not the pad's.
std::optional<std::string> productAbove(const RegistryEntry& entry, std::int64_t vendorID) {
    for (auto ancestor = entry.parent(); ancestor != nullptr; ancestor = ancestor->parent()) {
        const auto ancestorVendor = ancestor->numberProperty(registry_key::vendorID);
        if (!ancestorVendor) {
            continue;
        }
        if (*ancestorVendor != vendorID) {
            return std::nullopt;
        }
        if (auto name = productName(*ancestor)) {
            return name;
        }
    }
    return std::nullopt;
}

// The first entry from the service upwards with a numeric vendor names the device.
std::optional<UsbIdentity> usbIdentity(const RegistryEntry& service) {
    const RegistryEntry* current = &service;
    std::unique_ptr<RegistryEntry> ancestor;
    while (current != nullptr) {
        if (const auto vendorID = current->numberProperty(registry_key::vendorID)) {
            auto product = productName(*current);
            if (!product) {
                product = productAbove(*current, *vendorID);
            }
            return UsbIdentity{*vendorID, std::move(product)};
        }
        ancestor = current->parent();
        current = ancestor.get();
    }
    return std::nullopt;
}

std::vector<Candidate> matchingCandidates(const DeviceRegistry& registry, std::int64_t vendorID) {
    std::vector<Candidate> matched;
    for (const auto& service : registry.serialServices()) {
        auto path = service->stringProperty(registry_key::calloutDevice);
        if (!path) {
            continue;
        }
        auto identity = usbIdentity(*service);
        if (identity && identity->vendorID == vendorID) {
            matched.push_back({std::move(*path), std::move(identity->product)});
        }
    }
    return matched;
}

bool isNamedPad(const Candidate& candidate) {
    return candidate.product &&
           unicode::containsIgnoringCase(*candidate.product, preferredProductText);
}

bool isUnnamed(const Candidate& candidate) {
    return !candidate.product;
}

std::vector<std::string> pathsOf(const std::vector<Candidate>& candidates, auto keep) {
    std::vector<std::string> paths;
    for (const auto& candidate : candidates) {
        if (keep(candidate)) {
            paths.push_back(candidate.path);
        }
    }
    return paths;
}

}  // namespace

// The pad's vendor is shared by every board built on the same chips, so a device that names
// itself otherwise is never the pad. One that names nothing may be, unless a named pad is there.
std::vector<std::string> findCalloutDevices(const DeviceRegistry& registry, std::int64_t vendorID) {
    const auto matched = matchingCandidates(registry, vendorID);
    if (std::any_of(matched.begin(), matched.end(), isNamedPad)) {
        return pathsOf(matched, isNamedPad);
    }
    return pathsOf(matched, isUnnamed);
}

}  // namespace dorvane::DorvanePort
