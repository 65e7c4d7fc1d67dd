#include "link/DorvanePort.hpp"

#include <algorithm>
#include <optional>

#include "text/Unicode.hpp"

namespace dorvane::DorvanePort {
namespace {

constexpr std::string_view preferredProductText = "Dorvane";

struct UsbIdentity {
    std::int64_t vendorID;
    std::string product;
};

struct Candidate {
    std::string path;
    std::string product;
};

std::string productName(const RegistryEntry& entry) {
    for (const auto key : {registry_key::usbProductName, registry_key::usbProductString,
                           registry_key::productName}) {
        if (auto name = entry.stringProperty(key)) {
            return *name;
        }
    }
    return {};
}

// The first entry from the service upwards with a numeric vendor names the device; names found
// on other entries belong to other devices (hubs, controllers) and are ignored.
std::optional<UsbIdentity> usbIdentity(const RegistryEntry& service) {
    const RegistryEntry* current = &service;
    std::unique_ptr<RegistryEntry> ancestor;
    while (current != nullptr) {
        if (const auto vendorID = current->numberProperty(registry_key::vendorID)) {
            return UsbIdentity{*vendorID, productName(*current)};
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

bool isPreferred(const Candidate& candidate) {
    return unicode::containsIgnoringCase(candidate.product, preferredProductText);
}

std::vector<std::string> pathsOf(const std::vector<Candidate>& candidates) {
    std::vector<std::string> paths;
    for (const auto& candidate : candidates) {
        paths.push_back(candidate.path);
    }
    return paths;
}

}  // namespace

std::vector<std::string> findCalloutDevices(const DeviceRegistry& registry, std::int64_t vendorID) {
    auto matched = matchingCandidates(registry, vendorID);
    if (std::any_of(matched.begin(), matched.end(), isPreferred)) {
        std::erase_if(matched, [](const Candidate& candidate) { return !isPreferred(candidate); });
    }
    return pathsOf(matched);
}

}  // namespace dorvane::DorvanePort
