#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "link/DeviceRegistry.hpp"

namespace dorvane::test {

// One registry entry as a test describes it: its properties and the entry above it.
struct FakeNode {
    std::map<std::string, std::string, std::less<>> strings{};
    std::map<std::string, std::int64_t, std::less<>> numbers{};
    std::shared_ptr<const FakeNode> parent{};
    bool parentForbidden = false;  // asking for the parent fails the test
};
using FakeNodePtr = std::shared_ptr<const FakeNode>;

class FakeEntry final : public RegistryEntry {
public:
    explicit FakeEntry(FakeNodePtr node) : node_(std::move(node)) {}

    std::optional<std::string> stringProperty(std::string_view key) const override {
        return lookUp(node_->strings, key);
    }
    std::optional<std::int64_t> numberProperty(std::string_view key) const override {
        return lookUp(node_->numbers, key);
    }
    std::unique_ptr<RegistryEntry> parent() const override {
        if (node_->parentForbidden) {
            ADD_FAILURE() << "the parent walk went beyond an entry that names its vendor";
        }
        return node_->parent ? std::make_unique<FakeEntry>(node_->parent) : nullptr;
    }

private:
    template <typename Map>
    static std::optional<typename Map::mapped_type> lookUp(const Map& map, std::string_view key) {
        const auto found = map.find(key);
        return found == map.end() ? std::nullopt : std::optional(found->second);
    }

    FakeNodePtr node_;
};

// Serves `services` in order and counts the searches; announce() plays a device event.
class FakeRegistry final : public DeviceRegistry {
public:
    std::vector<FakeNodePtr> services;

    std::vector<std::unique_ptr<RegistryEntry>> serialServices() const override {
        ++searches_;
        std::vector<std::unique_ptr<RegistryEntry>> entries;
        for (const auto& node : services) {
            entries.push_back(std::make_unique<FakeEntry>(node));
        }
        return entries;
    }

    void watchSerialDevices(std::function<void()> changed) override {
        changed_ = std::move(changed);
    }

    void announce() {
        ASSERT_TRUE(changed_) << "nobody watches the registry";
        changed_();
    }

    int searches() const { return searches_; }

private:
    mutable int searches_ = 0;
    std::function<void()> changed_;
};

inline FakeNodePtr node(FakeNode fields) {
    return std::make_shared<const FakeNode>(std::move(fields));
}

// A USB device with `vendorID`, named `product` unless that is empty.
inline FakeNodePtr usbDevice(std::int64_t vendorID, const std::string& product = {}) {
    FakeNode device{.numbers = {{"idVendor", vendorID}}};
    if (!product.empty()) {
        device.strings.emplace("USB Product Name", product);
    }
    return node(std::move(device));
}

// A serial service at `path` below `above`.
inline FakeNodePtr serial(const std::string& path, FakeNodePtr above) {
    return node({.strings = {{"IOCalloutDevice", path}}, .parent = std::move(above)});
}

}  // namespace dorvane::test
