#include "Resources.h"
#include "resfilechain.h"

#include <memory>
#include <utility>

namespace resources_internal {

namespace {

OSErr lgResError = noErr;
// Oldest first; the top of the chain is the back.
std::vector<std::unique_ptr<OpenResourceFile>> lgChain;
SInt16 lgCurrent = 0;
SInt16 lgLastRefNum = 0;

size_t IndexOf(SInt16 theRefNum)
{
    for (size_t i = 0; i < lgChain.size(); ++i)
        if (lgChain[i]->refNum == theRefNum) return i;
    return lgChain.size();
}

} // namespace

void SetResError(OSErr theErr)
{
    lgResError = theErr;
}

OpenResourceFile* FileWithRefNum(SInt16 theRefNum)
{
    const size_t theIndex = IndexOf(theRefNum);
    return theIndex < lgChain.size() ? lgChain[theIndex].get() : nullptr;
}

OpenResourceFile* FileWithPath(const std::string& thePath)
{
    for (auto& theFile : lgChain)
        if (theFile->path == thePath) return theFile.get();
    return nullptr;
}

OpenResourceFile* CurrentFile()
{
    return FileWithRefNum(lgCurrent);
}

std::vector<OpenResourceFile*> SearchOrder()
{
    std::vector<OpenResourceFile*> theFiles;
    const size_t theTop = IndexOf(lgCurrent);
    if (theTop == lgChain.size()) return theFiles;
    for (size_t i = theTop + 1; i-- > 0;) theFiles.push_back(lgChain[i].get());
    return theFiles;
}

SInt16 PushFile(OpenResourceFile theFile)
{
    // Reference numbers are never reused within a process, so a stale one finds nothing.
    do {
        lgLastRefNum = static_cast<SInt16>(lgLastRefNum == 32767 ? 1 : lgLastRefNum + 1);
    } while (FileWithRefNum(lgLastRefNum));
    theFile.refNum = lgLastRefNum;
    lgChain.push_back(std::make_unique<OpenResourceFile>(std::move(theFile)));
    lgCurrent = lgLastRefNum;
    return lgCurrent;
}

void RemoveFile(SInt16 theRefNum)
{
    const size_t theIndex = IndexOf(theRefNum);
    if (theIndex == lgChain.size()) return;
    lgChain.erase(lgChain.begin() + static_cast<std::ptrdiff_t>(theIndex));
    if (lgCurrent != theRefNum) return;
    if (theIndex > 0) lgCurrent = lgChain[theIndex - 1]->refNum;
    else lgCurrent = lgChain.empty() ? 0 : lgChain.back()->refNum;
}

EntryPlace FindEntryOfHandle(Handle theResource)
{
    if (!theResource) return {};
    for (auto& theFile : lgChain)
        for (ResourceTypeEntry& theType : theFile->map.types)
            for (ResourceEntry& theEntry : theType.resources)
                if (theEntry.handle == theResource) return {theFile.get(), &theType, &theEntry};
    return {};
}

} // namespace resources_internal

using namespace resources_internal;

extern "C" {

OSErr ResError(void)
{
    return lgResError;
}

SInt16 CurResFile(void)
{
    return CurrentFile() ? lgCurrent : 0;
}

void UseResFile(SInt16 refNum)
{
    if (!FileWithRefNum(refNum)) {
        SetResError(resFNotFound);
        return;
    }
    lgCurrent = refNum;
    SetResError(noErr);
}

} // extern "C"
