#include "LumaFile.h"

#include "pendingfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

bool WriteAll(int theDescriptor, const char* theBytes, size_t theSize)
{
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

bool MakeLumaFile(const LumaRequest& theRequest, const std::function<bool(const char*, size_t)>& theWrite)
{
    // maxval is not used for scaling: the levels span 0 to 65535 whatever it says.
    const char* const theNames[] = {"", "out", "in", "cross"};
    char theHeader[128];
    const int theLength =
        std::snprintf(theHeader, sizeof theHeader, "%s%s, %d frames\n%d %d\n65535\n", cLumaFileMark,
                      theNames[theRequest.which >= 1 && theRequest.which <= 3 ? theRequest.which : 0],
                      int(theRequest.frames), int(theRequest.width), int(theRequest.height));
    if (!theWrite(theHeader, size_t(theLength))) return false;
    std::vector<char> theBytes(2 * size_t(theRequest.width));
    return MakeLumaMap(theRequest, [&](const UInt16* theLevels) {
        for (SInt32 c = 0; c < theRequest.width; ++c) {
            theBytes[2 * c] = char(theLevels[c] >> 8);
            theBytes[2 * c + 1] = char(theLevels[c] & 0xFF);
        }
        return theWrite(theBytes.data(), theBytes.size());
    });
}

bool WriteLumaFile(const LumaRequest& theRequest, const std::string& thePath, std::string& outError)
{
    video::PendingFile theFile;
    if (!theFile.Create(thePath, outError)) return false;
    int theProblem = 0;
    const bool theWritten = MakeLumaFile(theRequest, [&](const char* theBytes, size_t theSize) {
        if (WriteAll(theFile.Descriptor(), theBytes, theSize)) return true;
        theProblem = errno;
        return false;
    });
    if (!theWritten) {
        outError = theProblem ? video::DescribeWriteFailure(thePath, theProblem) : "cannot write " + thePath + ": out of memory";
        return false;
    }
    return theFile.Commit(outError);
}
