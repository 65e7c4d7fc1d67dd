#pragma once

#include <string>
#include <string_view>

// The lines the pad understands. The link ends each one with LF.
namespace dorvane {

// Written once after every opening, before anything else; it names the host.
#ifdef __APPLE__
inline constexpr std::string_view greetingLine = "OS mac";
#else
inline constexpr std::string_view greetingLine = "OS linux";
#endif

// Switches the pad to the profile slot, one of LayerMap::layers.
inline std::string layerCommand(std::string_view slot) {
    return "LAYER " + std::string(slot);
}

}  // namespace dorvane
