#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/TempDir.hpp"

namespace dorvane::test {

struct DesktopEntry {
    std::string id;  // file name without ".desktop"
    std::string name;
    std::string startupWmClass;  // empty: no StartupWMClass key
    bool noDisplay = false;
    std::string exec = "true";  // a program GIO finds on PATH, or it ignores the entry
};

// Makes `entries` the only desktop entries the process sees: they are written to a temporary
// XDG_DATA_HOME, and XDG_DATA_DIRS names an empty folder. GIO reads both variables once per
// process, so this must be a global test environment, set up before the first GIO call.
class DesktopEntries : public ::testing::Environment {
public:
    explicit DesktopEntries(std::vector<DesktopEntry> entries) : entries_(std::move(entries)) {}

    void SetUp() override;
    void TearDown() override;

    // Adds an entry while the test runs, as installing an application does.
    void install(const DesktopEntry& entry) const;

private:
    std::vector<DesktopEntry> entries_;
    std::unique_ptr<TempDir> root_;
};

}  // namespace dorvane::test
