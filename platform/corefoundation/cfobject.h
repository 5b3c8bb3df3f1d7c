// Internal: the header every CoreFoundation object starts with.
#pragma once

#include "CFBase.h"

namespace corefoundation_internal {

struct CFObject {
    UInt32 magic;
    CFTypeID typeID;
    CFIndex retainCount;
    void (*finalize)(CFObject* theObject);
};

constexpr UInt32 cObjectMagic = 0x43466f62; // "CFob"

enum : CFTypeID { kStringTypeID = 7, kURLTypeID = 29, kBundleTypeID = 31 };

void InitObject(CFObject* theObject, CFTypeID theTypeID, void (*theFinalize)(CFObject*));
CFObject* CheckedObject(CFTypeRef theRef);

}

#include <string>

typedef const struct __CFURL* CFURLRef;

namespace corefoundation_internal {

// A new file URL for an absolute path, owned by the caller.
CFURLRef MakeFileURL(const std::string& thePath);

}
