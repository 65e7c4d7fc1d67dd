#pragma once

#include <glib.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/glib/GLibHandles.hpp"
#include "text/UnlessEmpty.hpp"

namespace dorvane {

// Other programs choose the bytes of a window's class, title or desktop entry's file name, and
// names reach menus and D-Bus, which take nothing but UTF-8: what is not becomes U+FFFD.
inline std::string validUtf8(std::string_view bytes) {
    const GCharPtr valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
    return valid.get();
}

// A string argument of a Wayland event: the protocols say UTF-8, but nothing checks what a client
// puts in its app ID. Absent when not given or empty.
inline std::optional<std::string> validWaylandText(const char* text) {
    return text != nullptr ? unlessEmpty(validUtf8(text)) : std::nullopt;
}

}  // namespace dorvane
