// The logo rasterised with cairo, at the design's 80 pixels and at the tray's 18: where its shapes
// land, in design units with y growing downwards; and the logo's files in the runtime folder.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/LogoGeometry.hpp"
#include "platform/linux/desktop/RuntimeLogo.hpp"
#include "platform/linux/desktop/TrayIconTheme.hpp"
#include "platform/linux/glib/GLibHandles.hpp"
#include "platform/linux/logo/CairoLogo.hpp"
#include "support/Process.hpp"
#include "support/TempDir.hpp"

namespace dorvane {
namespace {

constexpr int opaque = 255;

// An ARGB32 square of `size` pixels, transparent until something is drawn in opaque black.
class Raster {
public:
    explicit Raster(int size)
        : surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size)),
          cairo_(cairo_create(surface_.get())) {
        cairo_set_source_rgba(cairo_.get(), 0, 0, 0, 1);
        // Finer than the default, so that curves land within one level of alpha of exact.
        cairo_set_tolerance(cairo_.get(), 0.01);
    }

    int size() const { return cairo_image_surface_get_width(surface_.get()); }
    cairo_t* cairo() const { return cairo_.get(); }

    int alpha(int x, int y) const {
        cairo_surface_flush(surface_.get());
        const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                                   y * cairo_image_surface_get_stride(surface_.get());
        return reinterpret_cast<const std::uint32_t*>(row)[x] >> 24;
    }

    // The pixel holding the design point (x, y).
    int alphaAt(double x, double y) const {
        const double scale = size() / logo::designSize;
        return alpha(static_cast<int>(x * scale), static_cast<int>(y * scale));
    }

private:
    CairoSurfacePtr surface_;
    CairoPtr cairo_;
};

Raster logoAt(int size) {
    Raster raster(size);
    drawLogo(raster.cairo(), size);
    return raster;
}

struct Box {
    int left, top, right, bottom;  // inclusive pixel bounds
};

Box inkedBox(const Raster& raster) {
    Box box{raster.size(), raster.size(), -1, -1};
    for (int y = 0; y < raster.size(); ++y) {
        for (int x = 0; x < raster.size(); ++x) {
            if (raster.alpha(x, y) > 0) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                       std::max(box.bottom, y)};
            }
        }
    }
    return box;
}

// A design point whose pixel lies wholly inside or wholly outside the logo; the fine ones only
// in pixels of one design unit.
struct Probe {
    const char* where;
    double x;
    double y;
    bool inked;
    bool fine = false;
};

const Probe probes[] = {
    {"left leg", 20, 50, true},
    {"right leg", 56, 50, true},
    {"arch top", 38, 20.75, true},
    {"dot, clear of the arch", 59, 20, true},
    {"under the arch", 38, 50, false},
    {"above the arch top", 38, 10, false},
    {"under the arch top", 38, 28, false},
    {"below the left leg", 20, 75, false},
    {"below the right leg", 56, 75, false},
    {"upper left corner", 18, 15, false},
    {"right of the right leg", 63, 50, false},
    {"left leg's cap", 20, 64, true, true},
    {"right leg's cap", 56, 64, true, true},
    {"below the left leg's cap", 20, 68, false, true},
    {"below the right leg's cap", 56, 68, false, true},
    {"dot's rounded top right corner", 66.5, 12.5, false, true},
    {"dot's rounded top left corner", 51.5, 12.5, false, true},
};

// Pixels of 80 and 18, the design's size and the tray's.
class LogoRasterTest : public testing::TestWithParam<int> {
protected:
    bool finePixels() const { return GetParam() == logo::designSize; }
};

INSTANTIATE_TEST_SUITE_P(DesignAndTray, LogoRasterTest, testing::Values(80, 18),
                         [](const auto& info) { return std::to_string(info.param) + "px"; });

TEST_P(LogoRasterTest, InkFillsTheDesignBoundsAndNothingOutside) {
    const double scale = GetParam() / logo::designSize;
    const int antialiasing = finePixels() ? 0 : 1;  // pixels allowed around the bounds
    const Box box = inkedBox(logoAt(GetParam()));

    EXPECT_NEAR(box.left, std::floor(15 * scale), antialiasing);
    EXPECT_NEAR(box.top, std::floor(12 * scale), antialiasing);
    EXPECT_NEAR(box.right, std::ceil(67 * scale) - 1, antialiasing);
    EXPECT_NEAR(box.bottom, std::ceil(67 * scale) - 1, antialiasing);
}

TEST_P(LogoRasterTest, ArchOpensDownwardsWithTheDotAtTheUpperRight) {
    const Raster raster = logoAt(GetParam());
    for (const Probe& probe : probes) {
        if (finePixels() || !probe.fine) {
            EXPECT_EQ(raster.alphaAt(probe.x, probe.y), probe.inked ? opaque : 0) << probe.where;
        }
    }
}

// The arch is filled as an outline; cairo's own stroke of the arch's path is the reference.
TEST(LogoTest, ArchMatchesCairosRoundCappedStrokeOfItsPath) {
    const Raster logo = logoAt(80);
    Raster stroke(80);
    cairo_t* cairo = stroke.cairo();
    using namespace logo;
    cairo_move_to(cairo, archStart.x, archStart.y);
    cairo_line_to(cairo, archLeftTop.x, archLeftTop.y);
    cairo_curve_to(cairo, archControl1.x, archControl1.y, archControl2.x, archControl2.y,
                   archRightTop.x, archRightTop.y);
    cairo_line_to(cairo, archEnd.x, archEnd.y);
    cairo_set_line_width(cairo, archLineWidth);
    cairo_set_line_cap(cairo, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cairo);

    int largestDifference = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 80; ++x) {
            const bool underDot = x >= dot.x && y < dot.y + dot.height;
            if (!underDot) {
                largestDifference =
                    std::max(largestDifference, std::abs(logo.alpha(x, y) - stroke.alpha(x, y)));
            }
        }
    }
    EXPECT_LE(largestDifference, 6);
}

// A symbolic icon as the tray writes it for hosts (SVG) and for libayatana's XEmbed fallback
// (PNG), and the name GTK finds it under.
struct SymbolicIcon {
    const char* file;
    const char* name;
    bool (*write)(const std::filesystem::path& file);
};

const SymbolicIcon symbolicIcons[] = {
    {"dorvane-symbolic.svg", "dorvane-symbolic", writeSymbolicLogo},
    {"dorvane-symbolic-panel.symbolic.png", "dorvane-symbolic-panel",
     [](const std::filesystem::path& file) { return writeSymbolicLogoPng(file, 80); }},
};

class SymbolicIconTest : public testing::TestWithParam<SymbolicIcon> {};

INSTANTIATE_TEST_SUITE_P(SvgAndPng, SymbolicIconTest, testing::ValuesIn(symbolicIcons),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "Svg" : "Png");
                         });

// GTK recolours a symbolic icon: an SVG by forcing the fill of every path to the foreground
// colour, a PNG by reading its opaque black as the foreground.
TEST_P(SymbolicIconTest, TakesTheForegroundColourAndKeepsTheArchOpen) {
    test::TempDir folder;
    ASSERT_TRUE(GetParam().write(folder / GetParam().file));
    const GObjectPtr<GtkIconTheme> theme(gtk_icon_theme_new());
    gtk_icon_theme_append_search_path(theme.get(), folder.path().c_str());
    const GObjectPtr<GtkIconInfo> info(
        gtk_icon_theme_lookup_icon(theme.get(), GetParam().name, 80, GTK_ICON_LOOKUP_FORCE_SIZE));
    ASSERT_TRUE(info);
    const GdkRGBA red{1, 0, 0, 1};
    const GObjectPtr<GdkPixbuf> icon(
        gtk_icon_info_load_symbolic(info.get(), &red, nullptr, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(icon);
    ASSERT_EQ(gdk_pixbuf_get_n_channels(icon.get()), 4);
    const auto rgba = [&icon](int x, int y) {
        const guchar* pixel =
            gdk_pixbuf_get_pixels(icon.get()) + y * gdk_pixbuf_get_rowstride(icon.get()) + x * 4;
        return std::to_string(pixel[0]) + "," + std::to_string(pixel[1]) + "," +
               std::to_string(pixel[2]) + "," + std::to_string(pixel[3]);
    };

    EXPECT_EQ(rgba(20, 50), "255,0,0,255") << "left leg";
    EXPECT_EQ(rgba(38, 20), "255,0,0,255") << "arch top";
    EXPECT_EQ(rgba(59, 20), "255,0,0,255") << "dot";
    EXPECT_EQ(rgba(38, 50), "0,0,0,0") << "under the arch";
}

// An SVG file rasterised by GTK's own loader, as RGBA bytes; empty when it does not load.
std::vector<guchar> rasterisedIcon(const std::filesystem::path& file, int size) {
    GError* error = nullptr;
    const GObjectPtr<GdkPixbuf> icon(
        gdk_pixbuf_new_from_file_at_size(file.c_str(), size, size, &error));
    if (!icon) {
        ADD_FAILURE() << file << ": " << error->message;
        g_error_free(error);
        return {};
    }
    const GObjectPtr<GdkPixbuf> rgba(gdk_pixbuf_add_alpha(icon.get(), false, 0, 0, 0));
    std::vector<guchar> pixels;
    for (int y = 0; y < size; ++y) {
        const guchar* row =
            gdk_pixbuf_get_pixels(rgba.get()) + y * gdk_pixbuf_get_rowstride(rgba.get());
        pixels.insert(pixels.end(), row, row + size * 4);
    }
    return pixels;
}

// The icon theme's icons are committed; they must still be what the logo's code draws.
TEST(LogoTest, CommittedIconsAreWhatTheLogoToolDraws) {
    test::TempDir drawn;
    ASSERT_EQ(test::runCommand({DORVANE_LOGO_TOOL, drawn.path()}).exitCode, 0);
    const std::filesystem::path committed = DORVANE_SOURCE_DIR "/data/icons";
    for (const char* name : {"dorvane.svg", "dorvane-symbolic.svg"}) {
        const auto expected = rasterisedIcon(drawn / name, 64);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(rasterisedIcon(committed / name, 64) == expected)
            << "data/icons/" << name << " differs from the logo's code: run make icons";
    }
}

TEST(LogoTest, WritingIntoAMissingFolderFails) {
    test::TempDir folder;
    EXPECT_FALSE(writeSymbolicLogo(folder / "missing/dorvane-symbolic.svg"));
}

// The logo as the notifications and the tray leave it in the runtime folder: named after its
// pattern, for this user alone, and gone once destroyed or when drawing it fails.
TEST(RuntimeLogoTest, IsThisUsersAloneAndLeavesNothingBehind) {
    using Kind = RuntimeLogo::Kind;
    using std::filesystem::perms;
    const struct {
        Kind kind;
        const char* pattern;
        const char* name;
        perms access;
        RuntimeLogo::Writer write;
    } cases[] = {
        {Kind::file, "dorvane-XXXXXX.svg", "dorvane-[A-Za-z0-9]{6}\\.svg",
         perms::owner_read | perms::owner_write, writeApplicationLogo},
        {Kind::folder, "dorvane-XXXXXX", "dorvane-[A-Za-z0-9]{6}", perms::owner_all,
         writeTrayIconTheme},
    };
    test::TempDir runtime;
    g_setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), TRUE);
    ASSERT_EQ(g_get_user_runtime_dir(), runtime.path()) << "GLib read the folder before";
    for (const auto& each : cases) {
        std::filesystem::path drawn;
        {
            const RuntimeLogo logo(each.kind, each.pattern, each.write);
            drawn = logo.path();
            ASSERT_EQ(drawn.parent_path(), runtime.path()) << each.pattern;
            EXPECT_TRUE(std::regex_match(drawn.filename().string(), std::regex(each.name)));
            EXPECT_EQ(std::filesystem::status(drawn).permissions(), each.access) << each.pattern;
        }
        EXPECT_FALSE(std::filesystem::exists(drawn)) << each.pattern;
        const RuntimeLogo failed(each.kind, each.pattern,
                                 [](const std::filesystem::path&) { return false; });
        EXPECT_TRUE(failed.path().empty()) << each.pattern;
    }
    EXPECT_TRUE(std::filesystem::is_empty(runtime.path()));
}

}  // namespace
}  // namespace dorvane
