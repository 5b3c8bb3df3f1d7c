#include "CFURL.h"
#include "Files.h"
#include "cfobject.h"

#include <cstring>
#include <string>

using namespace corefoundation_internal;

struct __CFURL {
    CFObject base;
    std::string path;
};

namespace {

void FinalizeURL(CFObject* theObject)
{
    delete reinterpret_cast<__CFURL*>(theObject);
}

} // namespace

namespace corefoundation_internal {

CFURLRef MakeFileURL(const std::string& thePath)
{
    __CFURL* theURL = new __CFURL;
    InitObject(&theURL->base, kURLTypeID, FinalizeURL);
    theURL->path = thePath;
    return theURL;
}

} // namespace corefoundation_internal

extern "C" {

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer, CFIndex bufLen, Boolean)
{
    if (!buffer || bufLen < 0) return nullptr;
    return MakeFileURL(std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(bufLen)));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean, UInt8* buffer, CFIndex maxBufLen)
{
    CFObject* theObject = CheckedObject(url);
    if (theObject->typeID != kURLTypeID || !buffer) return false;
    const std::string& thePath = url->path;
    if (maxBufLen <= 0 || static_cast<size_t>(maxBufLen) < thePath.size() + 1) return false;
    std::memcpy(buffer, thePath.c_str(), thePath.size() + 1);
    return true;
}

Boolean CFURLGetFSRef(CFURLRef url, FSRef* fsRef)
{
    CFObject* theObject = CheckedObject(url);
    if (theObject->typeID != kURLTypeID || !fsRef) return false;
    return FSPathMakeRef(reinterpret_cast<const UInt8*>(url->path.c_str()), fsRef, nullptr) == noErr;
}

} // extern "C"
