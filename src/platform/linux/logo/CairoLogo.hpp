#pragma once

#include <cairo.h>

#include <filesystem>
#include <memory>

namespace dorvane {

struct CairoDeleter {
    void operator()(cairo_t* cairo) const { cairo_destroy(cairo); }
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using CairoSurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;

// Draws the logo over the square from (0, 0) to (size, size), y growing downwards, in the current
// source: the arch, then the dot. The arch is filled as the outline of its round-capped stroke
// rather than stroked, because icon themes recolour a symbolic icon by overriding the fill of
// every path: an open stroked arch would come out as a solid blob inside a stroke left grey.
void drawLogo(cairo_t* cairo, double size);

// Writes the logo as a symbolic icon: 16 pixels nominal and the grey that GTK replaces by the
// foreground colour, so that the logo follows the panel's text colour where the host allows.
bool writeSymbolicLogo(const std::filesystem::path& file);

// Writes the logo as the application icon: 128 pixels nominal, in its own dark grey, as the icon
// theme and notifications show it, where nothing recolours it.
bool writeApplicationLogo(const std::filesystem::path& file);

// Writes the logo as a symbolic PNG icon of size × size pixels, to be named *.symbolic.png: opaque
// black is how such a file marks the foreground, which GTK then recolours as it does a symbolic
// SVG, without loading an SVG renderer.
bool writeSymbolicLogoPng(const std::filesystem::path& file, int size);

}  // namespace dorvane
