// Whether writing an output would replace one of the inputs.
#include "MovieWriter.h"

#include "frameoutput.h"
#include "pendingfile.h"

#include <new>
#include <sys/stat.h>

namespace video {

namespace {

struct FileIdentity {
    dev_t device;
    ino_t inode;
    std::string path;
};

// The pictures of thePath when it names a sequence, or the file itself.
std::vector<std::string> FilesNamedBy(const std::string& thePath, bool theSequence)
{
    if (!theSequence) return {thePath};
    FrameNamePattern thePattern;
    std::vector<std::string> theNames;
    std::string theIgnored;
    if (!ParseFrameNamePattern(FileNameOf(thePath), thePattern, theIgnored) ||
        !FindPictures(FolderOf(thePath), thePattern, theNames, theIgnored))
        return {};
    for (std::string& theName : theNames) theName = FolderOf(thePath) + "/" + theName;
    return theNames;
}

std::vector<FileIdentity> IdentitiesOf(const std::vector<std::string>& thePaths)
{
    std::vector<FileIdentity> theFiles;
    for (const std::string& thePath : thePaths) {
        struct stat theStatus;
        if (stat(thePath.c_str(), &theStatus) == 0) theFiles.push_back({theStatus.st_dev, theStatus.st_ino, thePath});
    }
    return theFiles;
}

} // namespace

bool CheckOutputSparesInputs(const std::string& thePath, const std::vector<std::string>& theInputs,
                             std::string& outError) noexcept
{
    try {
        std::vector<FileIdentity> theInputFiles;
        for (const std::string& theInput : theInputs) {
            struct stat theStatus;
            // A name that is no file but holds a frame number is a sequence FFmpeg reads.
            const bool theSequence = stat(theInput.c_str(), &theStatus) != 0 &&
                                     FileNameOf(theInput).find('%') != std::string::npos;
            for (FileIdentity& theFile : IdentitiesOf(FilesNamedBy(theInput, theSequence))) {
                theFile.path = theInput;
                theInputFiles.push_back(theFile);
            }
        }
        std::string theIgnored;
        const OutputFormat* theFormat = OutputFormatFor(thePath, theIgnored);
        const bool theSequence = theFormat && !theFormat->muxer;
        for (const FileIdentity& theOutput : IdentitiesOf(FilesNamedBy(thePath, theSequence))) {
            for (const FileIdentity& theInput : theInputFiles) {
                if (theOutput.device != theInput.device || theOutput.inode != theInput.inode) continue;
                outError = "the output " + Quoted(theOutput.path) + " is the clip " + Quoted(theInput.path) +
                           " and would replace it; choose another output";
                return false;
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        outError = "out of memory";
        return false;
    }
}

} // namespace video
