#include "LumaFile.h"

#include "pendingfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

bool WriteAll(int theDescriptor, const void* theData, size_t theSize)
{
    const char* theBytes = static_cast<const char*>(theData);
    while (theSize > 0) {
        const ssize_t theWritten = write(theDescriptor, theBytes, theSize);
        if (theWritten < 0 && errno == EINTR) continue;
        if (theWritten <= 0) return false;
        theBytes += theWritten;
        theSize -= size_t(theWritten);
    }
    return true;
}

} // namespace

bool WriteLumaFile(const LumaRequest& theRequest, const std::string& thePath, std::string& outError)
{
    video::PendingFile theFile;
    if (!theFile.Create(thePath, outError)) return false;
    errno = 0;
    // maxval is not used for scaling: the levels span 0 to 65535 whatever it says.
    char theHeader[64];
    const int theLength = std::snprintf(theHeader, sizeof theHeader, "P5\n%d %d\n65535\n", int(theRequest.width),
                                        int(theRequest.height));
    bool theWritten = WriteAll(theFile.Descriptor(), theHeader, size_t(theLength));
    std::vector<unsigned char> theBytes(2 * size_t(theRequest.width));
    theWritten = theWritten && MakeLumaMap(theRequest, [&](const UInt16* theLevels) {
        for (SInt32 c = 0; c < theRequest.width; ++c) {
            theBytes[2 * c] = static_cast<unsigned char>(theLevels[c] >> 8);
            theBytes[2 * c + 1] = static_cast<unsigned char>(theLevels[c]);
        }
        return WriteAll(theFile.Descriptor(), theBytes.data(), theBytes.size());
    });
    if (!theWritten) {
        outError = "cannot write " + thePath + ": " + (errno ? std::strerror(errno) : "out of memory");
        return false;
    }
    return theFile.Commit(outError);
}
