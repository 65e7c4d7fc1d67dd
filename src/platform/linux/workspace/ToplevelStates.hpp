#pragma once

#include <wayland-client.h>

#include <algorithm>
#include <cstdint>

namespace dorvane {

// Whether a toplevel's states, an array of values as the wlroots and COSMIC toplevel protocols
// send it, hold `state`.
inline bool holdsState(const wl_array& states, uint32_t state) {
    const auto* values = static_cast<const uint32_t*>(states.data);
    const auto* end = values + states.size / sizeof(uint32_t);
    return std::find(values, end, state) != end;
}

}  // namespace dorvane
