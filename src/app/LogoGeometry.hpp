#pragma once

// The status-bar logo as data: an open arch, stroked with round caps, then a filled rounded
// square over its right shoulder. Coordinates are in an 80-unit design square with y growing
// downwards; the 18-point image shows it at a scale of 0.225. Each platform draws it with its
// own graphics library, in this order.
namespace dorvane::logo {

struct Point {
    double x;
    double y;
};

struct RoundedRect {
    double x;
    double y;
    double width;
    double height;
    double radius;
};

inline constexpr double imageSize = 18.0;
inline constexpr double designSize = 80.0;
inline constexpr double scale = imageSize / designSize;  // 0.225

// The arch: move to `start`, line to `leftTop`, curve to `rightTop` through the two control
// points, line to `end`. Left open, stroked `lineWidth` wide with round caps.
inline constexpr double archLineWidth = 10.0;
inline constexpr Point archStart{20, 62};
inline constexpr Point archLeftTop{20, 38};
inline constexpr Point archControl1{20, 15};
inline constexpr Point archControl2{56, 15};
inline constexpr Point archRightTop{56, 38};
inline constexpr Point archEnd{56, 62};

// The dot, filled after the arch.
inline constexpr RoundedRect dot{51, 12, 16, 16, 4};

}  // namespace dorvane::logo
