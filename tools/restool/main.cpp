// restool: compiles a text description into a resource file, and dumps a resource file as text.
#include "MacMemory.h"
#include "Resources.h"
#include "restext.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

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
    return "error " + std::to_string(theErr);
}

int Compile(const std::string& theSource, const std::string& theOutput)
{
    std::ifstream theStream(theSource, std::ios::binary);
    if (!theStream) return Failure(theSource + ": cannot read");
    std::stringstream theText;
    theText << theStream.rdbuf();
    std::vector<TextResource> theResources;
    std::string theError;
    if (!ParseResourceText(theText.str(), &theResources, &theError)) return Failure(theSource + ": " + theError);

    FSSpec theSpec;
    const OSErr theErr = FSPathMakeFSSpec(theOutput.c_str(), &theSpec);
    if (theErr != noErr && theErr != fnfErr) return Failure(theOutput + ": cannot name it (" + ErrorText(theErr) + ")");
    // The file is built afresh each time; a build that stops half way leaves none.
    std::remove(theOutput.c_str());
    FSpCreateResFile(&theSpec, FOUR_CHAR_CODE("RSED"), FOUR_CHAR_CODE("rsrc"), smSystemScript);
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdWrPerm);
    if (theRefNum == -1) return Failure(theOutput + ": cannot create (" + ErrorText(ResError()) + ")");
    for (const TextResource& theResource : theResources) {
        Handle theData = nullptr;
        if (PtrToHand(theResource.data.data(), &theData, static_cast<Size>(theResource.data.size())) != noErr)
            return Failure("out of memory");
        Str255 theName{static_cast<UInt8>(theResource.name.size())};
        std::copy(theResource.name.begin(), theResource.name.end(), theName + 1);
        AddResource(theData, theResource.type, theResource.id, theResource.hasName ? theName : nullptr);
        if (ResError() != noErr) {
            CloseResFile(theRefNum);
            std::remove(theOutput.c_str());
            return Failure(theSource + ": line " + std::to_string(theResource.line) + ": cannot add (" + ErrorText(ResError()) + ")");
        }
        if (theResource.attributes) SetResAttrs(theData, theResource.attributes);
        ReleaseResource(theData);
    }
    CloseResFile(theRefNum);
    if (ResError() != noErr) {
        std::remove(theOutput.c_str());
        return Failure(theOutput + ": cannot write (" + ErrorText(ResError()) + ")");
    }
    return 0;
}

int Dump(const std::string& thePath)
{
    FSSpec theSpec;
    if (OSErr theErr = FSPathMakeFSSpec(thePath.c_str(), &theSpec)) return Failure(thePath + ": cannot find (" + ErrorText(theErr) + ")");
    const SInt16 theRefNum = FSpOpenResFile(&theSpec, fsRdPerm);
    if (theRefNum == -1) return Failure(thePath + ": not a readable resource file (" + ErrorText(ResError()) + ")");
    for (SInt16 t = 1; t <= Count1Types(); ++t) {
        ResType theType = 0;
        Get1IndType(&theType, t);
        for (SInt16 i = 1; i <= Count1Resources(theType); ++i) {
            Handle theData = Get1IndResource(theType, i);
            if (!theData) return Failure("out of memory");
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
