#include "frameoutput.h"

#include "avsupport.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>

namespace video {

std::string FrameNamePattern::NameOf(SInt64 theFrame) const
{
    std::string theNumber = std::to_string(theFrame);
    if (int(theNumber.size()) < digits) theNumber.insert(0, size_t(digits) - theNumber.size(), '0');
    return prefix + theNumber + suffix;
}

bool FrameNamePattern::Matches(const std::string& theFileName) const
{
    if (theFileName.size() < prefix.size() + suffix.size() + size_t(digits)) return false;
    if (theFileName.compare(0, prefix.size(), prefix) != 0) return false;
    if (theFileName.compare(theFileName.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    std::string theNumber = theFileName.substr(prefix.size(), theFileName.size() - prefix.size() - suffix.size());
    for (char c : theNumber) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    // Numbers are padded to the width, never beyond it.
    return int(theNumber.size()) == digits || theNumber[0] != '0';
}

bool FindPictures(const std::string& theFolder, const FrameNamePattern& thePattern, std::vector<std::string>& outNames,
                  std::string& outError)
{
    outNames.clear();
    DIR* theListing = opendir(theFolder.c_str());
    if (!theListing) {
        outError = "cannot read the folder " + Quoted(theFolder) + ": " + std::strerror(errno);
        return false;
    }
    while (const dirent* theEntry = readdir(theListing)) {
        if (thePattern.Matches(theEntry->d_name)) outNames.push_back(theEntry->d_name);
    }
    closedir(theListing);
    return true;
}

bool ParseFrameNamePattern(const std::string& theFileName, FrameNamePattern& thePattern, std::string& outError)
{
    auto theFailure = [&] {
        outError = "cannot write " + Quoted(theFileName) + ": a frame number is written %d or %05d, once; a percent sign as %%";
        return false;
    };
    std::string theText;
    bool theFound = false;
    for (size_t i = 0; i < theFileName.size(); ++i) {
        char c = theFileName[i];
        if (c != '%') {
            theText += c;
            continue;
        }
        std::string theRest = theFileName.substr(i + 1, 3);
        if (!theRest.empty() && theRest[0] == '%') {
            theText += '%';
            ++i;
            continue;
        }
        int theDigits;
        if (!theRest.empty() && theRest[0] == 'd') {
            theDigits = 1;
            i += 1;
        } else if (theRest.size() == 3 && theRest[0] == '0' && std::isdigit(static_cast<unsigned char>(theRest[1])) &&
                   theRest[1] != '0' && theRest[2] == 'd') {
            theDigits = theRest[1] - '0';
            i += 3;
        } else {
            return theFailure();
        }
        if (theFound) return theFailure();
        theFound = true;
        thePattern.prefix = theText;
        thePattern.digits = theDigits;
        theText.clear();
    }
    if (theFound) {
        thePattern.suffix = theText;
    } else {
        size_t theDot = theText.find_last_of('.');
        thePattern.prefix = theText.substr(0, theDot) + "_";
        thePattern.digits = 5;
        thePattern.suffix = theDot == std::string::npos ? "" : theText.substr(theDot);
    }
    return true;
}

} // namespace video
