// Interface files: JSON documents in a bundle's Resources folder, each holding windows by name.
#pragma once

#include "CFBundle.h"
#include "HIToolboxTypes.h"

typedef struct OpaqueIBNibRef* IBNibRef;

enum {
    kIBCarbonRuntimeCantFindNibFile = -10960,
    kIBCarbonRuntimeObjectNotOfRequestedType = -10961,
    kIBCarbonRuntimeCantFindObject = -10962,
    // The file is not a valid interface file; GlintNibErrorText says where.
    kGlintNibDamagedErr = -10970
};

extern "C" {

// Opens Resources/<inNibName>.json of the bundle and checks all of it.
OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName, IBNibRef* outNibRef);
void DisposeNibReference(IBNibRef inNibRef);
// A new hidden window; custom controls need their class registered (else hiObjectClassNotFoundErr).
OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow);
// What was wrong with the last interface file that failed to open (UTF-8, valid until the next open).
const char* GlintNibErrorText(void);

}
