// restool: compiles a text description into a resource file, and dumps a resource file as the
// description that compiles back into it.
#include "Files.h"
#include "MacMemory.h"
#include "Resources.h"
#include "filewrite.h"
#include "resfilemodel.h"
#include "restext.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace resources_internal;

namespace {

int Usage()
{
    std::cerr << "usage: restool compile <description> <resource file>\n"
                 "       restool dump <resource file>\n";
    return 2;
}

int Failure(const std::string& theWhat)
{
    std::cerr << "restool: " << theWhat << "\n";
    return 1;
}

std::string ErrorText(OSErr theErr)
{
    std::string theWords;
    switch (theErr) {
    case fnfErr:
    case dirNFErr:
        theWords = "no such file or folder";
        break;
    case notAFileErr:
        theWords = "not a regular file";
        break;
    case permErr:
    case wrPermErr:
        theWords = "permission denied";
        break;
    case dskFulErr:
        theWords = "disk full";
        break;
    case eofErr:
    case mapReadErr:
        theWords = "not a resource file, or a damaged one";
        break;
    case addResFailed:
        theWords = "more data than a resource file can address";
        break;
    case memFullErr:
        theWords = "out of memory";
        break;
    default:
        theWords = "input/output error";
        break;
    }
    return theWords + " (error " + std::to_string(theErr) + ")";
}

// The whole of a regular file.
OSErr ReadDescription(const std::string& thePath, std::string* theText, struct stat* theInfo)
{
    int theFile = -1;
    if (OSErr theErr = OpenRegularFile(thePath, &theFile)) return theErr;
    OSErr theErr = fstat(theFile, theInfo) == 0 ? OSErr(noErr) : OSErr(ioErr);
    char theBuffer[65536];
    while (!theErr) {
        const ssize_t theCount = read(theFile, theBuffer, sizeof theBuffer);
        if (theCount < 0 && errno == EINTR) continue;
        if (theCount < 0) theErr = ioErr;
        if (theCount <= 0) break;
        theText->append(theBuffer, static_cast<size_t>(theCount));
    }
    close(theFile);
    return theErr;
}

// Adds the described resources to theMap in order; the line of the first that does not fit.
int BuildMap(const TextResourceFile& theFile, ResourceMap* theMap, std::string* theError)
{
    theMap->attributes = theFile.attributes;
    for (const TextResource& theResource : theFile.resources) {
        ResourceEntry theEntry;
        theEntry.id = theResource.id;
        theEntry.hasName = theResource.hasName;
        theEntry.name = theResource.name;
        theEntry.attributes = static_cast<UInt8>(theResource.attributes & ~resChanged);
        theEntry.inMemory = true;
        theEntry.data.assign(theResource.data.begin(), theResource.data.end());
        ResourceTypeEntry* theType = nullptr;
        for (ResourceTypeEntry& theKnown : theMap->types)
            if (theKnown.type == theResource.type) theType = &theKnown;
        if (!theType) theType = &theMap->types.emplace_back(ResourceTypeEntry{theResource.type, {}});
        theType->resources.push_back(std::move(theEntry));
        if (OSErr theErr = CheckResourceLayout(*theMap)) {
            *theError = "line " + std::to_string(theResource.line) + ": cannot add: " + ErrorText(theErr);
            return 1;
        }
    }
    return 0;
}

int Compile(const std::string& theSource, const std::string& theOutput)
{
    std::string theTarget;
    if (OSErr theErr = WriteTargetOf(theOutput, &theTarget)) return Failure(theOutput + ": cannot write it: " + ErrorText(theErr));
    std::string theText;
    struct stat theSourceInfo;
    if (OSErr theErr = ReadDescription(theSource, &theText, &theSourceInfo))
        return Failure(theSource + ": cannot read it: " + ErrorText(theErr));
    struct stat theTargetInfo;
    if (stat(theTarget.c_str(), &theTargetInfo) == 0 && theTargetInfo.st_dev == theSourceInfo.st_dev &&
        theTargetInfo.st_ino == theSourceInfo.st_ino)
        return Failure(theOutput + ": is the description itself; refusing to write over it");

    TextResourceFile theFile;
    std::string theError;
    if (!ParseResourceText(theText, &theFile, &theError)) return Failure(theSource + ": " + theError);
    ResourceMap theMap;
    if (BuildMap(theFile, &theMap, &theError)) return Failure(theSource + ": " + theError);

    std::vector<UInt64> theOffsets;
    const ReadAtFunction theNothing = [](UInt64, size_t, UInt8*) { return OSErr(eofErr); };
    const FinderTypes theTypes{theFile.type, theFile.creator};
    const OSErr theErr = ReplaceFileAtomically(
        theTarget, [&](const AppendFunction& theAppend) { return WriteResourceFile(theMap, theNothing, theAppend, &theOffsets); },
        &theTypes);
    return theErr ? Failure(theOutput + ": cannot write it: " + ErrorText(theErr)) : 0;
}

int Dump(const std::string& thePath)
{
    FSSpec theSpec;
    if (OSErr theErr = FSPathMakeFSSpec(thePath.c_str(), &theSpec)) return Failure(thePath + ": " + ErrorText(theErr));
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    if (theRefNum == -1) return Failure(thePath + ": " + ErrorText(ResError()));
    TextResourceFile theFile;
    FInfo theInfo{};
    if (FSpGetFInfo(&theSpec, &theInfo) == noErr) {
        theFile.type = theInfo.fdType;
        theFile.creator = theInfo.fdCreator;
    }
    theFile.attributes = static_cast<UInt16>(GetResFileAttrs(theRefNum));
    std::cout << PrintFileStatement(theFile);
    for (SInt16 t = 1; t <= Count1Types(); ++t) {
        ResType theType = 0;
        Get1IndType(&theType, t);
        for (SInt16 i = 1; i <= Count1Resources(theType); ++i) {
            Handle theData = Get1IndResource(theType, i);
            if (!theData) {
                const OSErr theErr = ResError();
                CloseResFile(theRefNum);
                return Failure(thePath + ": " + ErrorText(theErr));
            }
            TextResource theResource;
            Str255 theName;
            GetResInfo(theData, &theResource.id, &theResource.type, theName);
            theResource.name.assign(reinterpret_cast<const char*>(theName + 1), theName[0]);
            theResource.hasName = theName[0] > 0;
            theResource.attributes = static_cast<UInt8>(GetResAttrs(theData));
            theResource.data.assign(*theData, static_cast<size_t>(GetHandleSize(theData)));
            ReleaseResource(theData);
            std::cout << PrintResource(theResource);
        }
    }
    CloseResFile(theRefNum);
    return std::cout.flush() ? 0 : Failure("cannot write the dump");
}

} // namespace

int main(int argc, char** argv)
{
    const std::string theCommand = argc > 1 ? argv[1] : "";
    if (theCommand == "compile" && argc == 4) return Compile(argv[2], argv[3]);
    if (theCommand == "dump" && argc == 3) return Dump(argv[2]);
    return Usage();
}
