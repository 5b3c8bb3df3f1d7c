// Opening interface files from a bundle and building windows from them.
#include "IBCarbonRuntime.h"
#include "toolboxrecords.h"

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace toolbox_internal;

struct OpaqueIBNibRef {
    InterfaceFile file;
    std::string classPrefix; // the bundle identifier without its last component, with the dot
};

namespace {

constexpr OSStatus cParamErr = -50;
std::string lgNibErrorText;

std::string ClassPrefixOf(CFBundleRef theBundle)
{
    CFStringRef theIdentifier = CFBundleGetIdentifier(theBundle);
    std::string theText = theIdentifier ? CFStringGetUTF8Pointer(theIdentifier) : "";
    size_t theDot = theText.rfind('.');
    return theDot == std::string::npos ? std::string() : theText.substr(0, theDot + 1);
}

} // namespace

extern "C" {

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef inBundle, CFStringRef inNibName, IBNibRef* outNibRef)
{
    if (!outNibRef) return cParamErr;
    *outNibRef = nullptr;
    if (!inBundle || !inNibName) return cParamErr;
    CFURLRef theURL = CFBundleCopyResourceURL(inBundle, inNibName, CFSTR("json"), nullptr);
    if (!theURL) return kIBCarbonRuntimeCantFindNibFile;
    char thePath[4096];
    Boolean theHavePath = CFURLGetFileSystemRepresentation(theURL, true, reinterpret_cast<UInt8*>(thePath), sizeof thePath);
    CFRelease(theURL);
    if (!theHavePath) return kIBCarbonRuntimeCantFindNibFile;

    std::ifstream theStream(thePath, std::ios::binary);
    if (!theStream) return kIBCarbonRuntimeCantFindNibFile;
    std::string theText;
    theText.resize(cMaxInterfaceFileSize + 1);
    theStream.read(theText.data(), static_cast<std::streamsize>(theText.size()));
    theText.resize(static_cast<size_t>(theStream.gcount()));

    IBNibRef theNib = new OpaqueIBNibRef;
    std::string theError;
    if (!ParseInterfaceFile(theText.data(), theText.size(), theNib->file, theError)) {
        delete theNib;
        lgNibErrorText = std::string(thePath) + ": " + theError;
        std::fprintf(stderr, "Toolbox: damaged interface file %s\n", lgNibErrorText.c_str());
        return kGlintNibDamagedErr;
    }
    theNib->classPrefix = ClassPrefixOf(inBundle);
    *outNibRef = theNib;
    return noErr;
}

void DisposeNibReference(IBNibRef inNibRef)
{
    delete inNibRef;
}

OSStatus CreateWindowFromNib(IBNibRef inNibRef, CFStringRef inName, WindowRef* outWindow)
{
    if (!outWindow) return cParamErr;
    *outWindow = nullptr;
    if (!inNibRef || !inName) return cParamErr;
    const std::string theName = CFStringGetUTF8Pointer(inName);
    for (const WindowSpec& theSpec : inNibRef->file.windows)
        if (theSpec.name == theName) {
            OSStatus theStatus = noErr;
            *outWindow = NewToolboxWindow(theSpec, inNibRef->classPrefix, theStatus);
            return theStatus;
        }
    return kIBCarbonRuntimeCantFindObject;
}

const char* GlintNibErrorText(void)
{
    return lgNibErrorText.c_str();
}

} // extern "C"
