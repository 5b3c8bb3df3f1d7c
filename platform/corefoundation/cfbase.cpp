#include "cfobject.h"

#include <cstdio>
#include <cstdlib>

namespace corefoundation_internal {

void InitObject(CFObject* theObject, CFTypeID theTypeID, void (*theFinalize)(CFObject*))
{
    theObject->magic = cObjectMagic;
    theObject->typeID = theTypeID;
    theObject->retainCount = 1;
    theObject->finalize = theFinalize;
}

CFObject* CheckedObject(CFTypeRef theRef)
{
    CFObject* theObject = static_cast<CFObject*>(const_cast<void*>(theRef));
    if (!theObject || theObject->magic != cObjectMagic) {
        std::fprintf(stderr, "CoreFoundation: %p is not an object\n", theRef);
        std::abort();
    }
    return theObject;
}

} // namespace corefoundation_internal

using namespace corefoundation_internal;

extern "C" {

CFTypeRef CFRetain(CFTypeRef cf)
{
    ++CheckedObject(cf)->retainCount;
    return cf;
}

void CFRelease(CFTypeRef cf)
{
    CFObject* theObject = CheckedObject(cf);
    if (--theObject->retainCount > 0) return;
    theObject->magic = 0;
    theObject->finalize(theObject);
}

CFIndex CFGetRetainCount(CFTypeRef cf)
{
    return CheckedObject(cf)->retainCount;
}

CFTypeID CFGetTypeID(CFTypeRef cf)
{
    return CheckedObject(cf)->typeID;
}

} // extern "C"
