#include "soundmeasure.h"

#include "programrun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace rendertest {

namespace {

template <typename Sample>
std::vector<Sample> Decoded(const std::string& thePath, const char* theFormat, int theChannels)
{
    std::string theBytes, theErrors;
    EXPECT_EQ(RunCommand("ffmpeg -v error -i '" + thePath + "' -vn -ac " + std::to_string(theChannels) +
                             " -ar 48000 -f " + theFormat + " -",
                         &theBytes, &theErrors),
              0)
        << theErrors;
    std::vector<Sample> theSamples(theBytes.size() / sizeof(Sample));
    std::memcpy(theSamples.data(), theBytes.data(), theSamples.size() * sizeof(Sample));
    return theSamples;
}

} // namespace

std::vector<float> FfmpegSound(const std::string& thePath)
{
    // Mixing the channels down would weigh them: keep one as it is.
    const std::vector<float> theStereo = Decoded<float>(thePath, "f32le", 2);
    std::vector<float> theLeft(theStereo.size() / 2);
    for (size_t i = 0; i < theLeft.size(); ++i) theLeft[i] = theStereo[2 * i];
    return theLeft;
}

std::vector<short> FfmpegSamples(const std::string& thePath)
{
    return Decoded<short>(thePath, "s16le", 2);
}

long ClippedSamples(const std::vector<short>& theSamples)
{
    return std::count_if(theSamples.begin(), theSamples.end(), [](short s) { return s == 32767 || s == -32768; });
}

double ToneHertz(const std::vector<float>& theSound, size_t theFirst, size_t theCount)
{
    double theStart = -1, theEnd = -1;
    int theCrossings = 0;
    for (size_t i = theFirst; i + 1 < std::min(theSound.size(), theFirst + theCount); ++i) {
        if (theSound[i] < 0 && theSound[i + 1] >= 0) {
            const double theAt = double(i) + theSound[i] / (theSound[i] - theSound[i + 1]);
            if (theStart < 0) theStart = theAt;
            theEnd = theAt;
            ++theCrossings;
        }
    }
    return theCrossings > 1 ? (theCrossings - 1) * 48000.0 / (theEnd - theStart) : 0.0;
}

double RootMeanSquare(const std::vector<float>& theSound, size_t theFirst, size_t theCount)
{
    double theSum = 0;
    for (size_t i = theFirst; i < std::min(theSound.size(), theFirst + theCount); ++i) theSum += double(theSound[i]) * theSound[i];
    return std::sqrt(theSum / double(theCount));
}

double ToneAmplitude(const std::vector<float>& theSound, size_t theFirst, size_t theCount, double theHertz)
{
    double theCos = 0, theSin = 0;
    for (size_t i = theFirst; i < std::min(theSound.size(), theFirst + theCount); ++i) {
        const double thePhase = 2 * M_PI * theHertz * double(i) / 48000.0;
        theCos += theSound[i] * std::cos(thePhase);
        theSin += theSound[i] * std::sin(thePhase);
    }
    return 2 * std::hypot(theCos, theSin) / double(theCount);
}

} // namespace rendertest
