// Which backend the companion follows, from the environment and from which backends start.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/linux/WorkspaceFactory.hpp"

namespace dorvane::test {
namespace {

class IdleWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    void observeActivations(ActivationHandler) override {}
};

// A backend that starts, or fails with `failure`; counts its attempts.
struct FakeBackend {
    bool starts = false;
    std::string failure;
    int attempts = 0;

    BackendStart operator()() {
        ++attempts;
        if (starts) {
            return {std::make_unique<IdleWorkspace>(), {}};
        }
        return {nullptr, failure};
    }
};

constexpr const char* noToplevelList =
    "the Wayland compositor at wayland-1 offers no zwlr_foreign_toplevel_manager_v1";
constexpr const char* noCosmicInfo =
    "the Wayland compositor at wayland-1 offers no zcosmic_toplevel_info_v1";

struct ChoiceCase {
    const char* name;
    // WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE, forced, XDG_CURRENT_DESKTOP
    WorkspaceEnvironment environment;
    std::string starting;  // the backends that start, by name
    std::string backend;   // empty: none
    std::string err;
};

class WorkspaceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(WorkspaceChoice, PicksTheFirstBackendThatStartsAndSaysWhy) {
    const ChoiceCase& c = GetParam();
    const auto starts = [&](const char* name) {
        return c.starting.find(name) != std::string::npos;
    };
    FakeBackend wlr{starts("wlr"), noToplevelList};
    FakeBackend cosmic{starts("cosmic"), noCosmicInfo};
    FakeBackend kwin{starts("kwin"), "org.kde.KWin is not on the session bus"};
    FakeBackend gnome{starts("gnome"), "org.gnome.Shell is not on the session bus"};
    FakeBackend x11{starts("x11"), "cannot open the X11 display :0"};
    std::ostringstream err;

    const auto chosen = chooseWorkspace(c.environment,
                                        {{"wlr", std::ref(wlr)},
                                         {"cosmic", std::ref(cosmic)},
                                         {"kwin", std::ref(kwin)},
                                         {"gnome", std::ref(gnome)},
                                         {"x11", std::ref(x11)}},
                                        err);

    EXPECT_EQ(chosen.backend, c.backend);
    EXPECT_EQ(chosen.workspace != nullptr, !c.backend.empty());
    EXPECT_EQ(err.str(), c.err);
    for (const FakeBackend* backend : {&wlr, &cosmic, &kwin, &gnome, &x11}) {
        EXPECT_LE(backend->attempts, 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Factory, WorkspaceChoice,
    ::testing::Values(
        ChoiceCase{
            "WlrootsBeforeXWayland", {"wayland-1", ":0", "wayland", ""}, "wlr x11", "wlr", ""},
        ChoiceCase{"X11Session", {"", ":0", "x11", ""}, "x11", "x11", ""},
        ChoiceCase{"UnknownCompositorFallsBackToXWaylandWithOneWarning",
                   {"wayland-1", ":0", "wayland", ""},
                   "x11",
                   "x11",
                   std::string("dorvane: this is a Wayland session, but ") + noToplevelList +
                       "; only applications running under XWayland can be followed\n"},
        ChoiceCase{"WaylandSessionWithoutItsDisplayVariable",
                   {"", ":0", "wayland", ""},
                   "x11",
                   "x11",
                   "dorvane: this is a Wayland session, but WAYLAND_DISPLAY is not set; only "
                   "applications running under XWayland can be followed\n"},
        ChoiceCase{"UnknownCompositorWithoutXWayland",
                   {"wayland-1", "", "wayland", ""},
                   "",
                   "",
                   std::string("dorvane: no desktop to follow: ") + noToplevelList + ", and " +
                       noCosmicInfo +
                       ", and org.kde.KWin is not on the session bus, and org.gnome.Shell is not "
                       "on the session bus, and DISPLAY is not set\n"},
        ChoiceCase{"NoDesktopAtAll",
                   {"", "", "", ""},
                   "",
                   "",
                   "dorvane: no desktop to follow: WAYLAND_DISPLAY is not set, and DISPLAY is not "
                   "set\n"},
        ChoiceCase{
            "KWinBeforeXWayland", {"wayland-0", ":1", "wayland", ""}, "kwin x11", "kwin", ""},
        ChoiceCase{
            "GnomeShellWithoutKWin", {"wayland-0", ":1", "wayland", ""}, "gnome x11", "gnome", ""},
        ChoiceCase{"ForcedX11InAWlrootsSession",
                   {"wayland-1", ":0", "wayland", "x11"},
                   "wlr x11",
                   "x11",
                   ""},
        ChoiceCase{"ForcedBackendThatCannotStart",
                   {"wayland-1", ":0", "wayland", "wlr"},
                   "x11",
                   "",
                   std::string("dorvane: DORVANE_WORKSPACE=wlr: ") + noToplevelList + "\n"},
        ChoiceCase{"ForcedBackendWithoutItsDisplay",
                   {"wayland-1", "", "wayland", "x11"},
                   "wlr x11",
                   "",
                   "dorvane: DORVANE_WORKSPACE=x11: DISPLAY is not set\n"},
        ChoiceCase{"ForcedUnknownBackend",
                   {"wayland-1", ":0", "wayland", "mutter"},
                   "wlr x11",
                   "",
                   "dorvane: DORVANE_WORKSPACE=mutter: no such backend (wlr, cosmic, kwin, gnome "
                   "or x11)\n"},
        ChoiceCase{"KdeSessionTriesKWinFirst",
                   {"wayland-0", ":1", "wayland", "", "KDE"},
                   "wlr kwin gnome x11",
                   "kwin",
                   ""},
        // Whoever owns org.kde.KWin there is not even asked.
        ChoiceCase{"GnomeSessionTriesGnomeShellFirst",
                   {"wayland-0", ":1", "wayland", "", "ubuntu:GNOME"},
                   "kwin gnome x11",
                   "gnome",
                   ""},
        ChoiceCase{
            "TheSessionsOwnDesktopFailsFirst",
            {"wayland-1", "", "wayland", "", "GNOME"},
            "",
            "",
            std::string("dorvane: no desktop to follow: org.gnome.Shell is not on the session "
                        "bus, and ") +
                noToplevelList + ", and " + noCosmicInfo +
                ", and org.kde.KWin is not on the session bus, and DISPLAY is not set\n"},
        // COSMIC offers no wlroots list; KWin is not even asked.
        ChoiceCase{"CosmicAfterWlrootsBeforeKWin",
                   {"wayland-1", ":0", "wayland", ""},
                   "cosmic kwin x11",
                   "cosmic",
                   ""},
        ChoiceCase{
            "ForcedCosmic", {"wayland-1", ":0", "wayland", "cosmic"}, "wlr cosmic", "cosmic", ""}),
    [](const auto& info) { return info.param.name; });

// `dorvane frontmost` asks the bus whether a companion holds the report name only where a backend
// that reports to it could start.
TEST(ReportsOverBus, MayBeFollowedWhereKWinOrGnomeShellCouldStart) {
    EXPECT_TRUE(mayFollowReportsOverBus({"wayland-0", ":1", "wayland", ""}));
    EXPECT_TRUE(mayFollowReportsOverBus({"wayland-0", "", "wayland", "gnome"}));
    EXPECT_FALSE(mayFollowReportsOverBus({"wayland-0", ":1", "wayland", "wlr"}));
    EXPECT_FALSE(mayFollowReportsOverBus({"", ":0", "x11", "kwin"}));
    for (const char* backend : {"kwin", "gnome"}) {
        EXPECT_TRUE(reportsOverBus(backend)) << backend;
    }
    for (const char* backend : {"wlr", "cosmic", "x11", ""}) {
        EXPECT_FALSE(reportsOverBus(backend)) << backend;
    }
}

}  // namespace
}  // namespace dorvane::test
