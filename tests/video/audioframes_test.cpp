#include "AudioFrames.h"

#include <gtest/gtest.h>

using namespace video;

namespace {

AudioBlock Constant(SInt32 theLength, float theValue)
{
    AudioBlock theBlock;
    theBlock.samples.assign(size_t(theLength) * cAudioChannels, theValue);
    return theBlock;
}

TEST(AudioFrames, FramesTileTheSoundExactly)
{
    for (FrameRate theRate : {FrameRate{25, 1}, FrameRate{30000, 1001}, FrameRate{24000, 1001}, FrameRate{7, 1}}) {
        SInt64 theTotal = 0;
        double theNominal = double(cAudioSampleRate) * theRate.den / theRate.num;
        for (SInt64 theFrame = 0; theFrame < 3000; ++theFrame) {
            SInt32 theLength = AudioSamplesInFrame(theFrame, theRate);
            ASSERT_GE(theLength, SInt32(theNominal)) << theRate.num << "/" << theRate.den;
            ASSERT_LE(theLength, SInt32(theNominal) + 1);
            ASSERT_EQ(FirstAudioSampleOfFrame(theFrame, theRate), theTotal);
            theTotal += theLength;
        }
    }
    EXPECT_EQ(AudioSamplesInFrame(0, FrameRate{25, 1}), 1920);
}

TEST(AudioFrames, MixAppliesTheLevelsAndSumsThatFitPassExactly)
{
    struct MixCase {
        float a;
        SInt32 levelA;
        float b;
        SInt32 levelB;
        float mixed;
    };
    for (const MixCase& theCase : {MixCase{0.5f, 256, -0.25f, 0, 0.5f}, MixCase{0.5f, 128, -0.25f, 256, 0.0f},
                                   MixCase{0.45f, 256, 0.45f, 256, 0.9f}, MixCase{-0.45f, 256, -0.45f, 256, -0.9f},
                                   MixCase{0.5f, 300, 0.5f, -5, 0.5f}, MixCase{0.5f, 64, 0.25f, 192, 0.3125f}}) {
        AudioBlock theMix;
        std::string theError;
        ASSERT_TRUE(MixFrameAudio(Constant(1920, theCase.a), theCase.levelA, Constant(1920, theCase.b), theCase.levelB,
                                  1920, theMix, theError));
        ASSERT_EQ(theMix.Length(), 1920);
        EXPECT_FLOAT_EQ(theMix.samples[0], theCase.mixed) << theCase.levelA << " " << theCase.levelB;
        EXPECT_FLOAT_EQ(theMix.samples[3839], theCase.mixed);
    }
}

TEST(AudioFrames, LoudSumsBendSmoothlyAndNeverReachFullScale)
{
    // Two loud clips at full level each, summed over a slow sweep from silence to twice full scale.
    AudioBlock theA, theB;
    for (int i = 0; i <= 2000; ++i) {
        const float theValue = float(i) / 2000.0f;
        theA.samples.insert(theA.samples.end(), {theValue, -theValue});
        theB.samples.insert(theB.samples.end(), {theValue, -theValue});
    }
    AudioBlock theMix;
    std::string theError;
    ASSERT_TRUE(MixFrameAudio(theA, 256, theB, 256, theA.Length(), theMix, theError));
    float thePrevious = 0.0f, thePreviousStep = 0.001f;
    for (SInt32 i = 0; i < theMix.Length(); ++i) {
        const float theSum = 2.0f * float(i) / 2000.0f, theLeft = theMix.samples[size_t(2 * i)];
        ASSERT_EQ(theMix.samples[size_t(2 * i + 1)], -theLeft) << i;
        if (theSum <= 0.9f) {
            ASSERT_EQ(theLeft, theSum) << i; // quiet enough: untouched
        }
        ASSERT_LE(theLeft, 0.98f) << i; // well below full scale
        // Rising no faster than the sum, flattening past the knee without a corner or a step.
        const float theStep = theLeft - thePrevious;
        ASSERT_GE(theStep, 0.0f) << i;
        ASSERT_LE(theStep, 0.001f + 1e-6f) << i;
        if (theSum > 0.9f) {
            ASSERT_LE(theStep, thePreviousStep + 1e-6f) << i;
            ASSERT_TRUE(theSum > 0.91f || theStep > 0.0009f) << i;
        }
        thePreviousStep = theStep;
        thePrevious = theLeft;
    }
    EXPECT_GT(thePrevious, 0.97f); // and the loudest still sounds loud
}

TEST(AudioFrames, BlocksOfAnotherLengthHoldTheirLastSampleOrAreCut)
{
    AudioBlock theShort = Constant(1601, 0.0f);
    theShort.samples[2 * 1600] = 0.25f;
    theShort.samples[2 * 1600 + 1] = -0.25f;
    AudioBlock theMix;
    std::string theError;
    ASSERT_TRUE(MixFrameAudio(theShort, 256, Constant(1603, 0.5f), 256, 1602, theMix, theError));
    ASSERT_EQ(theMix.Length(), 1602);
    EXPECT_FLOAT_EQ(theMix.samples[2 * 1601], 0.75f);
    EXPECT_FLOAT_EQ(theMix.samples[2 * 1601 + 1], 0.25f);

    AudioBlock theEmpty;
    ASSERT_TRUE(MixFrameAudio(theEmpty, 256, theEmpty, 256, 10, theMix, theError));
    EXPECT_EQ(theMix.samples, std::vector<float>(20, 0.0f));

    ASSERT_TRUE(FitAudioLength(theShort, 3, theError));
    EXPECT_EQ(theShort.Length(), 3);
}

} // namespace
