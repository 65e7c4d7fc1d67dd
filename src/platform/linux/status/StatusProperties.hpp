#pragma once

#include <gio/gio.h>

#include <string>
#include <vector>

#include "app/CompanionStatus.hpp"
#include "platform/linux/glib/GLibHandles.hpp"

namespace dorvane {

// The companion's status on the session bus, read-only, beside the focus reports:
//   name       app.dorvane.Companion
//   object     /app/dorvane/Companion
//   interface  app.dorvane.Status1, with properties only, each announced by PropertiesChanged:
//     Backend s, FrontmostID s, FrontmostName s, Slot s,
//     Reason s ("rules-file", "built-in", "none"), MatchedItem s ("id", "name", ""),
//     MatchTest s ("equals", "begins-with", ""), MatchedText s, RulesFile s, RuleLine u,
//     Paused b, PadState s ("connected", "not-found", "no-permission", "in-use", "paused"),
//     PadPath s, LastLine s, LastLineTime x (microseconds since 1970; 0: nothing sent).
// A text that is not known is empty.
namespace statusbus {

inline constexpr const char* interfaceName = "app.dorvane.Status1";
inline constexpr const char* propertiesInterface = "org.freedesktop.DBus.Properties";

// The interface's introspection data.
const char* introspection();

// The names of the properties, in the interface's order.
const std::vector<std::string>& propertyNames();

// One property's value; null for a name the interface lacks.
GVariantPtr propertyValue(const CompanionStatus& status, const std::string& name);

// The status that properties give (a{sv}, as GetAll answers and PropertiesChanged carries them),
// changed in what they hold; properties unknown or of another type are left out.
void applyProperties(GVariant* properties, CompanionStatus& status);

}  // namespace statusbus
}  // namespace dorvane
