#pragma once

// Objective-C++ only.
#import <AppKit/AppKit.h>

namespace dorvane {

// The status-bar logo: an 18-point template image, drawn on demand at any scale.
NSImage* brandLogo();

}  // namespace dorvane
