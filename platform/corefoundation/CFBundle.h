// CoreFoundation bundles: folders registered by the host (or a test) and found by identifier.
#pragma once

#include "CFString.h"
#include "CFURL.h"
#include "Files.h"

typedef struct __CFBundle* CFBundleRef;

enum {
    coreFoundationUnknownErr = -4960
};

extern "C" {

// The registered bundle with this identifier, not retained (CFRetain to keep it), or null.
CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID);
CFStringRef CFBundleGetIdentifier(CFBundleRef bundle);
CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle);
// Contents/Resources/[subDirName/]resourceName[.resourceType] when that file exists, else null.
CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName);

// Registers the bundle folder at thePath, whose Contents/Info.json names it ("CFBundleIdentifier").
// A later bundle with the same identifier replaces the earlier one. fnfErr when Info.json is
// missing, coreFoundationUnknownErr when it is damaged or names no identifier.
OSStatus GlintRegisterBundle(const char* thePath, CFBundleRef* outBundle);
// Forgets the bundle with this identifier (as when the folder goes away); references others
// retained stay valid.
void GlintUnregisterBundle(const char* theIdentifier);

}
