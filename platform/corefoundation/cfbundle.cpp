#include "CFBundle.h"
#include "cfobject.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

using namespace corefoundation_internal;

struct __CFBundle {
    CFObject base;
    std::string path;
    CFStringRef identifier;
};

namespace {

// Info.json is a few lines; anything much larger is not one.
constexpr std::uintmax_t cMaxInfoSize = 64 * 1024;
constexpr OSStatus cParamErr = -50;

std::map<std::string, CFBundleRef>& Registry()
{
    static std::map<std::string, CFBundleRef>* lgBundles = new std::map<std::string, CFBundleRef>;
    return *lgBundles;
}

void FinalizeBundle(CFObject* theObject)
{
    __CFBundle* theBundle = reinterpret_cast<__CFBundle*>(theObject);
    CFRelease(theBundle->identifier);
    delete theBundle;
}

__CFBundle* CheckedBundle(CFBundleRef theBundle)
{
    CFObject* theObject = CheckedObject(theBundle);
    return theObject->typeID == kBundleTypeID ? theBundle : nullptr;
}

std::string TextOf(CFStringRef theString)
{
    return theString ? CFStringGetUTF8Pointer(theString) : "";
}

OSStatus ReadIdentifier(const std::filesystem::path& theInfoPath, std::string& outIdentifier)
{
    std::error_code theError;
    std::uintmax_t theSize = std::filesystem::file_size(theInfoPath, theError);
    if (theError) return fnfErr;
    if (theSize > cMaxInfoSize) return coreFoundationUnknownErr;
    std::ifstream theFile(theInfoPath, std::ios::binary);
    if (!theFile) return fnfErr;
    std::stringstream theText;
    theText << theFile.rdbuf();
    nlohmann::json theInfo = nlohmann::json::parse(theText.str(), nullptr, false);
    if (!theInfo.is_object()) return coreFoundationUnknownErr;
    auto theEntry = theInfo.find("CFBundleIdentifier");
    if (theEntry == theInfo.end() || !theEntry->is_string()) return coreFoundationUnknownErr;
    outIdentifier = theEntry->get<std::string>();
    return outIdentifier.empty() ? OSStatus(coreFoundationUnknownErr) : OSStatus(noErr);
}

} // namespace

extern "C" {

OSStatus GlintRegisterBundle(const char* thePath, CFBundleRef* outBundle)
{
    if (outBundle) *outBundle = nullptr;
    if (!thePath) return cParamErr;
    std::error_code theError;
    std::filesystem::path theFolder = std::filesystem::absolute(thePath, theError);
    if (theError) return fnfErr;
    std::string theIdentifier;
    if (OSStatus theStatus = ReadIdentifier(theFolder / "Contents" / "Info.json", theIdentifier)) return theStatus;
    CFStringRef theIdentifierString = CFStringCreateWithCString(kCFAllocatorDefault, theIdentifier.c_str(),
                                                                kCFStringEncodingUTF8);
    if (!theIdentifierString) return coreFoundationUnknownErr;

    CFBundleRef& theSlot = Registry()[theIdentifier];
    if (theSlot && theSlot->path == theFolder.string()) {
        CFRelease(theIdentifierString);
    } else {
        if (theSlot) CFRelease(theSlot);
        __CFBundle* theBundle = new __CFBundle;
        InitObject(&theBundle->base, kBundleTypeID, FinalizeBundle);
        theBundle->path = theFolder.string();
        theBundle->identifier = theIdentifierString;
        theSlot = theBundle;
    }
    if (outBundle) *outBundle = theSlot;
    return noErr;
}

void GlintUnregisterBundle(const char* theIdentifier)
{
    if (!theIdentifier) return;
    const auto theFound = Registry().find(theIdentifier);
    if (theFound == Registry().end()) return;
    CFRelease(theFound->second);
    Registry().erase(theFound);
}

CFBundleRef CFBundleGetBundleWithIdentifier(CFStringRef bundleID)
{
    if (!bundleID) return nullptr;
    auto theFound = Registry().find(TextOf(bundleID));
    return theFound == Registry().end() ? nullptr : theFound->second;
}

CFStringRef CFBundleGetIdentifier(CFBundleRef bundle)
{
    __CFBundle* theBundle = CheckedBundle(bundle);
    return theBundle ? theBundle->identifier : nullptr;
}

CFURLRef CFBundleCopyBundleURL(CFBundleRef bundle)
{
    __CFBundle* theBundle = CheckedBundle(bundle);
    return theBundle ? MakeFileURL(theBundle->path) : nullptr;
}

CFURLRef CFBundleCopyResourceURL(CFBundleRef bundle, CFStringRef resourceName, CFStringRef resourceType,
                                 CFStringRef subDirName)
{
    __CFBundle* theBundle = CheckedBundle(bundle);
    if (!theBundle || !resourceName) return nullptr;
    std::string theName = TextOf(resourceName);
    if (theName.empty() || theName.find('/') != std::string::npos) return nullptr;
    std::string theType = TextOf(resourceType);
    if (!theType.empty()) theName += "." + theType;
    std::filesystem::path thePath = std::filesystem::path(theBundle->path) / "Contents" / "Resources";
    if (subDirName) thePath /= TextOf(subDirName);
    thePath /= theName;
    std::error_code theError;
    if (!std::filesystem::is_regular_file(thePath, theError)) return nullptr;
    return MakeFileURL(thePath.string());
}

} // extern "C"
