#include "finderinfo.h"

#include <sys/xattr.h>

namespace resources_internal {

namespace {

// The 32 bytes of Finder information, type and creator first, big-endian.
constexpr const char* cFinderInfoAttribute = "user.com.apple.FinderInfo";
constexpr size_t cFinderInfoSize = 32;

void PutCode(UInt8* theBytes, OSType theCode)
{
    for (int i = 0; i < 4; ++i) theBytes[i] = static_cast<UInt8>(theCode >> (24 - 8 * i));
}

OSType GetCode(const UInt8* theBytes)
{
    return (OSType(theBytes[0]) << 24) | (OSType(theBytes[1]) << 16) | (OSType(theBytes[2]) << 8) | theBytes[3];
}

} // namespace

bool ReadFinderTypes(int theFile, FinderTypes* theTypes)
{
    UInt8 theBytes[cFinderInfoSize] = {};
    if (fgetxattr(theFile, cFinderInfoAttribute, theBytes, sizeof theBytes) < 8) return false;
    theTypes->type = GetCode(theBytes);
    theTypes->creator = GetCode(theBytes + 4);
    return true;
}

void WriteFinderTypes(int theFile, const FinderTypes& theTypes)
{
    UInt8 theBytes[cFinderInfoSize] = {};
    PutCode(theBytes, theTypes.type);
    PutCode(theBytes + 4, theTypes.creator);
    (void)fsetxattr(theFile, cFinderInfoAttribute, theBytes, sizeof theBytes, 0);
}

} // namespace resources_internal
