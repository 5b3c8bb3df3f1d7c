#include "ValueParsers.h"

#include "avsupport.h"

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/parseutils.h>
}

#include <cctype>

namespace {

// CSS names that libavutil lacks or gives X11's values for.
constexpr struct {
    const char* name;
    uint32_t rgb;
} cCssOnlyColours[] = {{"rebeccapurple", 0x663399}, {"mediumpurple", 0x9370DB}, {"palevioletred", 0xDB7093}};

bool IsHex(const std::string& theText)
{
    for (char c : theText)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

} // namespace

bool ParseColour(const std::string& theText, Colour8& outColour)
{
    video::QuietFFmpegLog();
    for (const auto& theColour : cCssOnlyColours) {
        if (!av_strcasecmp(theText.c_str(), theColour.name)) {
            outColour = Colour8{uint8_t(theColour.rgb >> 16), uint8_t(theColour.rgb >> 8), uint8_t(theColour.rgb)};
            return true;
        }
    }
    // libavutil's names for a colour of chance, and its transparency suffix.
    if (!av_strcasecmp(theText.c_str(), "random") || !av_strcasecmp(theText.c_str(), "bikeshed") ||
        theText.find('@') != std::string::npos)
        return false;
    std::string theName = theText;
    if (theName.size() == 4 && theName[0] == '#' && IsHex(theName.substr(1)))
        theName = {'#', theName[1], theName[1], theName[2], theName[2], theName[3], theName[3]};
    uint8_t theRgba[4] = {};
    if (av_parse_color(theRgba, theName.c_str(), -1, nullptr) < 0) {
        // libavutil spells some greys one way only; CSS takes both.
        for (char& c : theName) c = char(std::tolower(static_cast<unsigned char>(c)));
        const size_t theGrey = theName.find("grey"), theGray = theName.find("gray");
        if (theGrey != std::string::npos) theName[theGrey + 2] = 'a';
        else if (theGray != std::string::npos) theName[theGray + 2] = 'e';
        else return false;
        if (av_parse_color(theRgba, theName.c_str(), -1, nullptr) < 0) return false;
    }
    if (theRgba[3] != 0xFF) return false;
    outColour = Colour8{theRgba[0], theRgba[1], theRgba[2]};
    return true;
}

bool ParseFrameSize(const std::string& theText, SInt32& outWidth, SInt32& outHeight, SInt32 theLargest)
{
    int theWidth = 0, theHeight = 0;
    if (av_parse_video_size(&theWidth, &theHeight, theText.c_str()) < 0) return false;
    if (theWidth < 2 || theHeight < 2 || theWidth > theLargest || theHeight > theLargest) return false;
    outWidth = theWidth;
    outHeight = theHeight;
    return true;
}

bool ParseSeconds(const std::string& theText, double& outSeconds)
{
    int64_t theMicroseconds = 0;
    if (av_parse_time(&theMicroseconds, theText.c_str(), 1) < 0) return false;
    if (theMicroseconds < 0 || theMicroseconds > int64_t(86400) * 1000000) return false;
    outSeconds = double(theMicroseconds) / 1e6;
    return true;
}

bool ParseFrameRate(const std::string& theText, SInt32& outNum, SInt32& outDen)
{
    constexpr int64_t cHighest = 1000;
    AVRational theRate{0, 0};
    if (av_parse_video_rate(&theRate, theText.c_str()) < 0 || theRate.num <= 0 || theRate.den <= 0) return false;
    if (theRate.num > cHighest * theRate.den) return false;
    outNum = theRate.num;
    outDen = theRate.den;
    return true;
}
