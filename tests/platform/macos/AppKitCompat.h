// For the Linux syntax check of the macOS shell only, never for the real build: the AppKit and
// Foundation declarations that GNUstep lacks, with Apple's signatures, added to GNUstep's classes.

// GNUstep makes every NSMenuDelegate method required, Apple none: GNUstep's protocol is moved
// aside under another name so that Apple's can be declared below. This must come before anything
// that imports NSMenu.h.
#define NSMenuDelegate GSMenuDelegate
#import <AppKit/NSMenu.h>
#undef NSMenuDelegate

#import <AppKit/NSApplication.h>
#import <AppKit/NSBezierPath.h>
#import <AppKit/NSImage.h>
#import <AppKit/NSMenuItem.h>
#import <AppKit/NSRunningApplication.h>
#import <AppKit/NSStatusBarButton.h>
#import <AppKit/NSStatusItem.h>
#import <AppKit/NSWindow.h>
#import <AppKit/NSWorkspace.h>
#import <Foundation/NSFileManager.h>
#import <GNUstepGUI/GSVersion.h>

// Darwin's confstr() name of the per-user temporary folder.
#define _CS_DARWIN_USER_TEMP_DIR 65537

// Apple's nil and Nil are nullptr in Objective-C++, so they also convert to SEL and blocks.
#undef nil
#define nil nullptr
#undef Nil
#define Nil nullptr

@interface NSStatusItem (AppleCompat)
@property(readonly, strong) NSStatusBarButton* button;
@end

@interface NSImage (AppleCompat)
+ (NSImage*)imageWithSize:(NSSize)size
                  flipped:(BOOL)drawingHandlerShouldBeCalledWithFlippedContext
           drawingHandler:(BOOL (^)(NSRect dstRect))drawingHandler;
- (BOOL)isTemplate;
- (void)setTemplate:(BOOL)isTemplate;
@end

// GNUstep declares it in its NSMenuItem protocol, returning id<NSMenuItem>; this one takes
// precedence. (NSMenu's own methods returning id<NSMenuItem> cannot be redeclared this way.)
@interface NSMenuItem (AppleCompat)
+ (NSMenuItem*)separatorItem;
@end

@interface NSApplication (AppleCompat)
- (BOOL)setActivationPolicy:(NSApplicationActivationPolicy)activationPolicy;
- (void)activate;  // macOS 14
@end

@interface NSWindow (AppleCompat)
@property BOOL preventsApplicationTerminationWhenModal;
@end

@protocol NSMenuDelegate <NSObject>
@optional
- (void)menuWillOpen:(NSMenu*)menu;
- (void)menuDidClose:(NSMenu*)menu;
@end

@interface NSFileManager (AppleCompat)
@property(readonly, copy) NSURL* homeDirectoryForCurrentUser;
@end

APPKIT_EXPORT NSNotificationName const NSWorkspaceDidActivateApplicationNotification;
APPKIT_EXPORT NSString* const NSWorkspaceApplicationKey;

// GNUstep GUI 0.32 names the cap styles as AppKit does.
#if GNUSTEP_GUI_MAJOR_VERSION == 0 && GNUSTEP_GUI_MINOR_VERSION < 32
static const NSLineCapStyle NSLineCapStyleRound = NSRoundLineCapStyle;
#endif
