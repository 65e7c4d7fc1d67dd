#pragma once

#include "cosmic-toplevel-info-unstable-v1-client-protocol.h"

namespace dorvane {

using CosmicStatesHandler = void (*)(void* data, zcosmic_toplevel_handle_v1*, wl_array* states);

// A listener of a toplevel's COSMIC handle that hears its states alone: the events version 2 no
// longer sends, and those about outputs, workspaces and geometry, are ignored.
constexpr zcosmic_toplevel_handle_v1_listener cosmicStateListener(CosmicStatesHandler states) {
    return {
        .closed = [](void*, zcosmic_toplevel_handle_v1*) {},
        .done = [](void*, zcosmic_toplevel_handle_v1*) {},
        .title = [](void*, zcosmic_toplevel_handle_v1*, const char*) {},
        .app_id = [](void*, zcosmic_toplevel_handle_v1*, const char*) {},
        .output_enter = [](void*, zcosmic_toplevel_handle_v1*, wl_output*) {},
        .output_leave = [](void*, zcosmic_toplevel_handle_v1*, wl_output*) {},
        .workspace_enter = [](void*, zcosmic_toplevel_handle_v1*, zcosmic_workspace_handle_v1*) {},
        .workspace_leave = [](void*, zcosmic_toplevel_handle_v1*, zcosmic_workspace_handle_v1*) {},
        .state = states,
        .geometry = [](void*, zcosmic_toplevel_handle_v1*, wl_output*, int32_t, int32_t, int32_t,
                       int32_t) {},
        .ext_workspace_enter = [](void*, zcosmic_toplevel_handle_v1*, ext_workspace_handle_v1*) {},
        .ext_workspace_leave = [](void*, zcosmic_toplevel_handle_v1*, ext_workspace_handle_v1*) {},
    };
}

}  // namespace dorvane
