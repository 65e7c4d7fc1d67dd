#import "platform/macos/BrandLogo.hpp"

#include "app/LogoGeometry.hpp"

namespace dorvane {
namespace {

NSPoint pointAt(logo::Point point) {
    return NSMakePoint(point.x, point.y);
}

// Draws in the flipped 80-unit design square, whatever the destination: every drawing is the same.
// A template image keeps only the alpha of what is drawn, so the colour is opaque: a translucent
// one such as labelColor would make the logo fainter than its neighbours and darker where the
// dot overlaps the arch. The menu bar's tint gives the colour that is seen.
BOOL drawLogo() {
    NSAffineTransform* transform = [[NSAffineTransform alloc] init];
    [transform scaleBy:logo::scale];
    [transform concat];
    [[NSColor blackColor] set];

    NSBezierPath* arch = [[NSBezierPath alloc] init];
    arch.lineWidth = logo::archLineWidth;
    arch.lineCapStyle = NSLineCapStyleRound;
    [arch moveToPoint:pointAt(logo::archStart)];
    [arch lineToPoint:pointAt(logo::archLeftTop)];
    [arch curveToPoint:pointAt(logo::archRightTop)
         controlPoint1:pointAt(logo::archControl1)
         controlPoint2:pointAt(logo::archControl2)];
    [arch lineToPoint:pointAt(logo::archEnd)];
    [arch stroke];

    const logo::RoundedRect& dot = logo::dot;
    [[NSBezierPath bezierPathWithRoundedRect:NSMakeRect(dot.x, dot.y, dot.width, dot.height)
                                     xRadius:dot.radius
                                     yRadius:dot.radius] fill];
    return YES;
}

}  // namespace

// A template image: AppKit tints it to suit the menu bar's appearance.
NSImage* brandLogo() {
    NSImage* image = [NSImage imageWithSize:NSMakeSize(logo::imageSize, logo::imageSize)
                                    flipped:YES
                             drawingHandler:^BOOL(NSRect) {
                               return drawLogo();
                             }];
    [image setTemplate:YES];
    return image;
}

}  // namespace dorvane
