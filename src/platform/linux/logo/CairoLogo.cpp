#include "platform/linux/logo/CairoLogo.hpp"

#include <cairo-svg.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "app/LogoGeometry.hpp"

namespace dorvane {
namespace {

using logo::Point;

struct Rgb {
    double red;
    double green;
    double blue;
};

constexpr double halfWidth = logo::archLineWidth / 2;
// Fine enough that the flattened outline strays less than 0.01 design units from the true one.
constexpr int curveSegments = 64;
constexpr double symbolicSize = 16;
constexpr Rgb symbolicGrey{0xbe / 255.0, 0xbe / 255.0, 0xbe / 255.0};
// The nominal size of hicolor's scalable/apps folder, which GTK scales the image from.
constexpr double applicationSize = 128;
constexpr Rgb applicationColour{0x2e / 255.0, 0x34 / 255.0, 0x36 / 255.0};

// A point of the arch's centreline with the unit direction of travel there.
struct Sample {
    Point at;
    Point direction;
};

Point unit(Point vector) {
    const double length = std::hypot(vector.x, vector.y);
    return {vector.x / length, vector.y / length};
}

Point curveAt(double t) {
    using namespace logo;
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * archLeftTop.x + b * archControl1.x + c * archControl2.x + d * archRightTop.x,
            a * archLeftTop.y + b * archControl1.y + c * archControl2.y + d * archRightTop.y};
}

Point curveDerivativeAt(double t) {
    using namespace logo;
    const double u = 1 - t;
    const double a = 3 * u * u, b = 6 * u * t, c = 3 * t * t;
    return {a * (archControl1.x - archLeftTop.x) + b * (archControl2.x - archControl1.x) +
                c * (archRightTop.x - archControl2.x),
            a * (archControl1.y - archLeftTop.y) + b * (archControl2.y - archControl1.y) +
                c * (archRightTop.y - archControl2.y)};
}

void appendLine(std::vector<Sample>& samples, Point from, Point to) {
    const Point direction = unit({to.x - from.x, to.y - from.y});
    samples.push_back({from, direction});
    samples.push_back({to, direction});
}

// Move, line, curve, line: the path the arch's stroke follows.
std::vector<Sample> archCentreline() {
    std::vector<Sample> samples;
    appendLine(samples, logo::archStart, logo::archLeftTop);
    for (int segment = 0; segment <= curveSegments; ++segment) {
        const double t = static_cast<double>(segment) / curveSegments;
        samples.push_back({curveAt(t), unit(curveDerivativeAt(t))});
    }
    appendLine(samples, logo::archRightTop, logo::archEnd);
    return samples;
}

std::vector<Sample> reversed(std::vector<Sample> samples) {
    std::reverse(samples.begin(), samples.end());
    for (Sample& sample : samples) {
        sample.direction = {-sample.direction.x, -sample.direction.y};
    }
    return samples;
}

// One side of the stroke, then the round cap that turns around the last sample. With y growing
// downwards, the left of travel direction (dx, dy) is (dy, -dx), and cairo_arc turns from there
// through the direction of travel to the right side.
void appendSideAndCap(cairo_t* cairo, const std::vector<Sample>& samples) {
    for (const Sample& sample : samples) {
        cairo_line_to(cairo, sample.at.x + halfWidth * sample.direction.y,
                      sample.at.y - halfWidth * sample.direction.x);
    }
    const Sample& last = samples.back();
    const double left = std::atan2(-last.direction.x, last.direction.y);
    cairo_arc(cairo, last.at.x, last.at.y, halfWidth, left, left + std::numbers::pi);
}

// The legs meet the curve along its tangents, so the stroke needs no joins, and the curve bends
// no tighter than a radius of 21 units, so its offsets by half the width never fold over.
void appendArchOutline(cairo_t* cairo) {
    const std::vector<Sample> centreline = archCentreline();
    cairo_new_sub_path(cairo);
    appendSideAndCap(cairo, centreline);
    appendSideAndCap(cairo, reversed(centreline));
    cairo_close_path(cairo);
}

void appendDot(cairo_t* cairo) {
    const auto [x, y, width, height, radius] = logo::dot;
    constexpr double quarter = std::numbers::pi / 2;
    cairo_new_sub_path(cairo);
    cairo_arc(cairo, x + width - radius, y + radius, radius, -quarter, 0);
    cairo_arc(cairo, x + width - radius, y + height - radius, radius, 0, quarter);
    cairo_arc(cairo, x + radius, y + height - radius, radius, quarter, 2 * quarter);
    cairo_arc(cairo, x + radius, y + radius, radius, 2 * quarter, 3 * quarter);
    cairo_close_path(cairo);
}

}  // namespace

void drawLogo(cairo_t* cairo, double size) {
    cairo_save(cairo);
    cairo_scale(cairo, size / logo::designSize, size / logo::designSize);
    // Two fills, not one path: where the dot overlaps the arch their windings could cancel.
    appendArchOutline(cairo);
    cairo_fill(cairo);
    appendDot(cairo);
    cairo_fill(cairo);
    cairo_restore(cairo);
}

namespace {

// An SVG image of size × size pixels; false when it cannot be written.
bool writeLogoSvg(const std::filesystem::path& file, double size, Rgb colour) {
    const CairoSurfacePtr surface(cairo_svg_surface_create(file.c_str(), size, size));
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PX);
    const CairoPtr cairo(cairo_create(surface.get()));
    cairo_set_source_rgb(cairo.get(), colour.red, colour.green, colour.blue);
    drawLogo(cairo.get(), size);
    cairo_surface_finish(surface.get());
    return cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool writeSymbolicLogo(const std::filesystem::path& file) {
    return writeLogoSvg(file, symbolicSize, symbolicGrey);
}

bool writeApplicationLogo(const std::filesystem::path& file) {
    return writeLogoSvg(file, applicationSize, applicationColour);
}

bool writeSymbolicLogoPng(const std::filesystem::path& file, int size) {
    const CairoSurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
    const CairoPtr cairo(cairo_create(surface.get()));
    cairo_set_source_rgb(cairo.get(), 0, 0, 0);
    drawLogo(cairo.get(), size);
    return cairo_surface_write_to_png(surface.get(), file.c_str()) == CAIRO_STATUS_SUCCESS;
}

}  // namespace dorvane
