#include "platform/linux/status/StatusProperties.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace dorvane::statusbus {
namespace {

// A wire name for each value of an enumeration, in the enumeration's order.
template <typename Enum, std::size_t count>
using Names = std::array<std::pair<Enum, const char*>, count>;

constexpr Names<PadState, 5> padStates = {{{PadState::connected, "connected"},
                                           {PadState::notFound, "not-found"},
                                           {PadState::noPermission, "no-permission"},
                                           {PadState::inUse, "in-use"},
                                           {PadState::paused, "paused"}}};
constexpr Names<LayerMatch::Source, 2> sources = {
    {{LayerMatch::Source::rulesFile, "rules-file"}, {LayerMatch::Source::builtIn, "built-in"}}};
constexpr Names<LayerMatch::Item, 2> items = {
    {{LayerMatch::Item::identifier, "id"}, {LayerMatch::Item::name, "name"}}};
constexpr Names<LayerMatch::Test, 2> tests = {
    {{LayerMatch::Test::equals, "equals"}, {LayerMatch::Test::beginsWith, "begins-with"}}};

template <typename Enum, std::size_t count>
const char* nameOf(const Names<Enum, count>& names, Enum value) {
    for (const auto& [entry, name] : names) {
        if (entry == value) {
            return name;
        }
    }
    return "";
}

template <typename Enum, std::size_t count>
std::optional<Enum> valueOf(const Names<Enum, count>& names, const std::string& name) {
    for (const auto& [entry, entryName] : names) {
        if (name == entryName) {
            return entry;
        }
    }
    return std::nullopt;
}

GVariant* text(const std::optional<std::string>& value) {
    return g_variant_new_string(value.value_or("").c_str());
}

std::optional<std::string> known(const std::string& value) {
    return value.empty() ? std::nullopt : std::optional(value);
}

// The match's parts, each read and written alone: a watcher may hear of one at a time.
LayerMatch& matchOf(CompanionStatus& status) {
    if (!status.match) {
        status.match = LayerMatch{};
    }
    return *status.match;
}

RunningApplication& frontmostOf(CompanionStatus& status) {
    if (!status.frontmost) {
        status.frontmost = RunningApplication{};
    }
    return *status.frontmost;
}

// An application with neither text is nothing in front.
void settleFrontmost(CompanionStatus& status) {
    if (status.frontmost && *status.frontmost == RunningApplication{}) {
        status.frontmost.reset();
    }
}

struct Property {
    const char* name;
    const char* type;
    std::function<GVariant*(const CompanionStatus&)> get;
    std::function<void(GVariant*, CompanionStatus&)> set;
};

std::string stringIn(GVariant* value) {
    return g_variant_get_string(value, nullptr);
}

std::chrono::system_clock::time_point timeOf(gint64 microseconds) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::microseconds(microseconds)));
}

gint64 microsecondsOf(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
}

const std::vector<Property>& properties() {
    static const std::vector<Property> table = {
        {"Backend", "s", [](const auto& s) { return g_variant_new_string(s.backend.c_str()); },
         [](GVariant* v, auto& s) { s.backend = stringIn(v); }},
        {"FrontmostID", "s",
         [](const auto& s) {
             return text(s.frontmost ? s.frontmost->bundleIdentifier : std::nullopt);
         },
         [](GVariant* v, auto& s) {
             frontmostOf(s).bundleIdentifier = known(stringIn(v));
             settleFrontmost(s);
         }},
        {"FrontmostName", "s",
         [](const auto& s) {
             return text(s.frontmost ? s.frontmost->localizedName : std::nullopt);
         },
         [](GVariant* v, auto& s) {
             frontmostOf(s).localizedName = known(stringIn(v));
             settleFrontmost(s);
         }},
        {"Slot", "s", [](const auto& s) { return text(s.slot); },
         [](GVariant* v, auto& s) { s.slot = known(stringIn(v)); }},
        {"Reason", "s",
         [](const auto& s) {
             return g_variant_new_string(s.match ? nameOf(sources, s.match->source) : "none");
         },
         [](GVariant* v, auto& s) {
             const auto source = valueOf(sources, stringIn(v));
             if (source) {
                 matchOf(s).source = *source;
             } else {
                 s.match.reset();
             }
         }},
        {"MatchedItem", "s",
         [](const auto& s) {
             return g_variant_new_string(s.match ? nameOf(items, s.match->item) : "");
         },
         [](GVariant* v, auto& s) {
             if (const auto item = valueOf(items, stringIn(v)); item && s.match) {
                 s.match->item = *item;
             }
         }},
        {"MatchTest", "s",
         [](const auto& s) {
             return g_variant_new_string(s.match ? nameOf(tests, s.match->test) : "");
         },
         [](GVariant* v, auto& s) {
             if (const auto test = valueOf(tests, stringIn(v)); test && s.match) {
                 s.match->test = *test;
             }
         }},
        {"MatchedText", "s",
         [](const auto& s) { return g_variant_new_string(s.match ? s.match->text.c_str() : ""); },
         [](GVariant* v, auto& s) {
             if (s.match) {
                 s.match->text = stringIn(v);
             }
         }},
        {"RulesFile", "s", [](const auto& s) { return g_variant_new_string(s.rulesFile.c_str()); },
         [](GVariant* v, auto& s) { s.rulesFile = stringIn(v); }},
        {"RuleLine", "u",
         [](const auto& s) {
             return g_variant_new_uint32(s.match ? static_cast<guint32>(s.match->line) : 0);
         },
         [](GVariant* v, auto& s) {
             if (s.match) {
                 s.match->line = g_variant_get_uint32(v);
             }
         }},
        {"Paused", "b", [](const auto& s) { return g_variant_new_boolean(s.paused); },
         [](GVariant* v, auto& s) { s.paused = g_variant_get_boolean(v) != FALSE; }},
        {"PadState", "s",
         [](const auto& s) { return g_variant_new_string(nameOf(padStates, s.pad)); },
         [](GVariant* v, auto& s) {
             s.pad = valueOf(padStates, stringIn(v)).value_or(PadState::notFound);
         }},
        {"PadPath", "s", [](const auto& s) { return text(s.padPath); },
         [](GVariant* v, auto& s) { s.padPath = known(stringIn(v)); }},
        {"LastLine", "s", [](const auto& s) { return text(s.lastLine); },
         [](GVariant* v, auto& s) { s.lastLine = known(stringIn(v)); }},
        {"LastLineTime", "x",
         [](const auto& s) {
             return g_variant_new_int64(s.lastLineTime ? microsecondsOf(*s.lastLineTime) : 0);
         },
         [](GVariant* v, auto& s) {
             const gint64 time = g_variant_get_int64(v);
             s.lastLineTime = time != 0 ? std::optional(timeOf(time)) : std::nullopt;
         }},
    };
    return table;
}

const Property* find(const std::string& name) {
    const auto& table = properties();
    const auto found = std::find_if(table.begin(), table.end(), [&](const Property& property) {
        return name == property.name;
    });
    return found != table.end() ? &*found : nullptr;
}

}  // namespace

const char* introspection() {
    static const std::string xml = [] {
        std::string text = std::string("<node><interface name=\"") + interfaceName + "\">";
        for (const Property& property : properties()) {
            text += std::string("<property name=\"") + property.name + "\" type=\"" +
                    property.type + "\" access=\"read\"/>";
        }
        return text + "</interface></node>";
    }();
    return xml.c_str();
}

const std::vector<std::string>& propertyNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Property& property : properties()) {
            list.emplace_back(property.name);
        }
        return list;
    }();
    return names;
}

GVariantPtr propertyValue(const CompanionStatus& status, const std::string& name) {
    const Property* property = find(name);
    return property != nullptr ? GVariantPtr(g_variant_ref_sink(property->get(status))) : nullptr;
}

// Reason comes before the match's other parts in the table, so a new match is made before its
// parts are filled in.
void applyProperties(GVariant* dictionary, CompanionStatus& status) {
    for (const Property& property : properties()) {
        GVariantPtr value(
            g_variant_lookup_value(dictionary, property.name, G_VARIANT_TYPE(property.type)));
        if (value) {
            property.set(value.get(), status);
        }
    }
}

}  // namespace dorvane::statusbus
