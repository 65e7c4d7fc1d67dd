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

struct ChoiceCase {
    const char* name;
    WorkspaceEnvironment environment;  // WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE, forced
    bool wlrStarts;
    bool x11Starts;
    std::string backend;  // empty: none
    std::string err;
};

class WorkspaceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(WorkspaceChoice, PicksTheFirstBackendThatStartsAndSaysWhy) {
    const ChoiceCase& c = GetParam();
    FakeBackend wlr{c.wlrStarts, noToplevelList};
    FakeBackend x11{c.x11Starts, "cannot open the X11 display :0"};
    std::ostringstream err;

    const auto chosen = chooseWorkspace(c.environment, {std::ref(wlr), std::ref(x11)}, err);

    EXPECT_EQ(chosen.backend, c.backend);
    EXPECT_EQ(chosen.workspace != nullptr, !c.backend.empty());
    EXPECT_EQ(err.str(), c.err);
    EXPECT_LE(wlr.attempts, 1);
    EXPECT_LE(x11.attempts, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Factory, WorkspaceChoice,
    ::testing::Values(
        ChoiceCase{
            "WlrootsBeforeXWayland", {"wayland-1", ":0", "wayland", ""}, true, true, "wlr", ""},
        ChoiceCase{"X11Session", {"", ":0", "x11", ""}, false, true, "x11", ""},
        ChoiceCase{"UnknownCompositorFallsBackToXWaylandWithOneWarning",
                   {"wayland-1", ":0", "wayland", ""},
                   false,
                   true,
                   "x11",
                   std::string("dorvane: this is a Wayland session, but ") + noToplevelList +
                       "; only applications running under XWayland can be followed\n"},
        ChoiceCase{"WaylandSessionWithoutItsDisplayVariable",
                   {"", ":0", "wayland", ""},
                   false,
                   true,
                   "x11",
                   "dorvane: this is a Wayland session, but WAYLAND_DISPLAY is not set; only "
                   "applications running under XWayland can be followed\n"},
        ChoiceCase{"UnknownCompositorWithoutXWayland",
                   {"wayland-1", "", "wayland", ""},
                   false,
                   false,
                   "",
                   std::string("dorvane: no desktop to follow: ") + noToplevelList +
                       ", and DISPLAY is not set\n"},
        ChoiceCase{"NoDesktopAtAll",
                   {"", "", "", ""},
                   false,
                   false,
                   "",
                   "dorvane: no desktop to follow: WAYLAND_DISPLAY is not set, and DISPLAY is not "
                   "set\n"},
        ChoiceCase{"ForcedX11InAWlrootsSession",
                   {"wayland-1", ":0", "wayland", "x11"},
                   true,
                   true,
                   "x11",
                   ""},
        ChoiceCase{"ForcedBackendThatCannotStart",
                   {"wayland-1", ":0", "wayland", "wlr"},
                   false,
                   true,
                   "",
                   std::string("dorvane: DORVANE_WORKSPACE=wlr: ") + noToplevelList + "\n"},
        ChoiceCase{"ForcedBackendWithoutItsDisplay",
                   {"wayland-1", "", "wayland", "x11"},
                   true,
                   true,
                   "",
                   "dorvane: DORVANE_WORKSPACE=x11: DISPLAY is not set\n"},
        ChoiceCase{"ForcedUnknownBackend",
                   {"wayland-1", ":0", "wayland", "kwin"},
                   true,
                   true,
                   "",
                   "dorvane: DORVANE_WORKSPACE=kwin: no such backend (wlr or x11)\n"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace dorvane::test
