#include "RenderPlan.h"
#include "programrun.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

using namespace rendertest;

namespace {

// The rows of render --plan, columns apart by two spaces or more: each segment's movie frames
// and clip frames, then after a bar why it is encoded.
std::vector<std::string> PlanRows(const std::string& thePrinted)
{
    std::vector<std::string> theRows;
    std::istringstream theLines(thePrinted);
    std::string theLine;
    while (std::getline(theLines, theLine)) {
        if (theLine.empty() || !std::isdigit(static_cast<unsigned char>(theLine[0]))) continue;
        std::vector<std::string> theColumns;
        for (size_t theAt = 0; theAt < theLine.size();) {
            const size_t theGap = theLine.find("  ", theAt);
            theColumns.push_back(theLine.substr(theAt, theGap - theAt));
            theAt = theLine.find_first_not_of(' ', theGap);
        }
        if (theColumns.size() >= 4) theRows.push_back(theColumns[0] + " " + theColumns[2] + "|" + theColumns[3]);
    }
    return theRows;
}

} // namespace

// --plan prints which frames of which clip make each stretch of the movie, and writes nothing.
TEST(RenderPlan, PrintsEverySegmentsFramesAndWritesNothing)
{
    videotest::TemporaryFolder theFolder;
    const std::string theA = theFolder.PathOf("a.mp4"), theB = theFolder.PathOf("b.mp4"), theC = theFolder.PathOf("c.mp4");
    for (const std::string& thePath : {theA, theB, theC}) {
        ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=160x120:rate=25:duration=2 -f lavfi -i "
                             "sine=duration=2 -c:v libx264 -pix_fmt yuv420p -c:a aac '" + thePath + "'"),
                  0);
    }
    const std::vector<std::string> theClips = theFolder.Entries();
    const struct {
        std::string options;
        std::vector<std::string> rows;
    } theCases[] = {
        // 50 frames a clip, a Cross of 10 at both cuts.
        // Copied from the start; x264's B-frames end a copy a picture before the cut, and the
        // one keyframe of a later clip is in the transition.
        // Without --transition, a Cross.
        {"'" + theA + "' '" + theB + "' '" + theC + "'",
         {"0-38 0-38", "39-39 39-39", "40-49 40-49, 0-9", "50-79 10-39", "80-89 40-49, 0-9", "90-129 10-49"}},
        {"--transition in '" + theA + "'", {"0-9 0-9", "10-49 10-49"}},
        // From 1 s: the Out and its end state; the rest of the clip is left out.
        {"--transition out --at 1 '" + theA + "'", {"0-23 0-23", "24-24 24-24", "25-35 25-34"}},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.options);
        std::string thePrinted, theErrors;
        ASSERT_EQ(RunGlintweave("render --plan --frames 10 " + theCase.options + " -o '" + theFolder.PathOf("movie.mp4") +
                                    "'",
                                &thePrinted, &theErrors),
                  0)
            << theErrors;
        std::vector<std::string> theRows = PlanRows(thePrinted);
        for (std::string& theRow : theRows) theRow.erase(theRow.find('|'));
        EXPECT_EQ(theRows, theCase.rows) << thePrinted;
        EXPECT_EQ(theFolder.Entries(), theClips);
    }
}

// Why a clip is encoded again rather than copied: the movie's reason where there is one, else
// the clip's own; a clip of the movie's kind is copied.
TEST(RenderPlan, SaysWhyEachClipIsEncoded)
{
    videotest::TemporaryFolder theFolder;
    const auto theMake = [&](const std::string& theName, const std::string& theSource) {
        EXPECT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i " + theSource + ":duration=1 -c:v libx264 -pix_fmt yuv420p '" +
                             theFolder.PathOf(theName) + "'"),
                  0);
        return theFolder.PathOf(theName);
    };
    const std::string theA = theMake("a.mp4", "testsrc2=size=160x120:rate=25");
    const std::string theSame = theMake("same.mp4", "smptebars=size=160x120:rate=25");
    const std::string theLarger = theMake("larger.mp4", "smptebars=size=320x240:rate=25");
    const std::string theFaster = theMake("faster.mp4", "smptebars=size=160x120:rate=50");
    const struct {
        std::string clipB, options, output, why; // of clip B's frames
    } theCases[] = {
        {theLarger, "", "m.mp4", "clip 2 is 320x240, the movie 160x120"},
        {theFaster, "", "m.mp4", "clip 2 runs at 50 fps, the movie at 25"},
        {theSame, "", "m.mov", "clip 2 is h264, not ProRes"},
        {theSame, "--size 320x240", "m.mp4", "--size 320x240: every frame is scaled"},
        {theSame, "--reencode", "m.mkv", "--reencode: every frame is encoded"},
        {theSame, "--crf 0", "m.mp4", "--crf 0: lossless pictures cannot sit beside copied ones, so every frame is encoded"},
        {theSame, "", "m.y4m", "the output is .y4m, which takes no copied pictures"},
        {theSame, "", "m.mp4", "no transition touches them, and they lie between clean splits"},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.clipB + " " + theCase.options + " " + theCase.output);
        std::string thePrinted, theErrors;
        ASSERT_EQ(RunGlintweave("render --plan --transition in --frames 5 " + theCase.options + " '" + theA + "' '" +
                                    theCase.clipB + "' -o '" + theFolder.PathOf(theCase.output) + "'",
                                &thePrinted, &theErrors),
                  0)
            << theErrors;
        const std::vector<std::string> theRows = PlanRows(thePrinted);
        ASSERT_EQ(theRows.size(), 3u) << thePrinted;
        const std::string theWhy = theRows[2].substr(theRows[2].find('|') + 1);
        EXPECT_EQ(theWhy.substr(0, theWhy.find(';')), theCase.why) << thePrinted;
    }
}

// A stretch no transition touches goes to the encoder as decoded: drawn in between, a noisy
// clip came out at 29 dB against its source, and comes out at 36 dB now.
TEST(RenderPlan, AnUntouchedStretchLosesOnlyOneEncode)
{
    videotest::TemporaryFolder theFolder;
    const std::string theA = theFolder.PathOf("a.mp4"), theB = theFolder.PathOf("b.mp4"), theMovie = theFolder.PathOf("m.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=320x240:rate=25:duration=2,noise=alls=20:allf=t "
                         "-c:v libx264 -pix_fmt yuv420p '" + theA + "'"),
              0);
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i smptebars=size=320x240:rate=25:duration=2 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theB + "'"),
              0);
    std::string theErrors;
    ASSERT_EQ(RunGlintweave("render --transition cross --frames 10 '" + theA + "' '" + theB + "' -o '" + theMovie + "'",
                            nullptr, &theErrors),
              0)
        << theErrors;
    // FFmpeg prints the figure on stderr.
    std::string theMeasured;
    ASSERT_EQ(RunCommand("ffmpeg -i '" + theMovie + "' -i '" + theA +
                             "' -lavfi '[0:v]trim=end_frame=40,setpts=PTS-STARTPTS[m];"
                             "[1:v]trim=end_frame=40,setpts=PTS-STARTPTS[s];[m][s]psnr' -f null -",
                         nullptr, &theMeasured),
              0);
    const size_t theAt = theMeasured.find("average:");
    ASSERT_NE(theAt, std::string::npos) << theMeasured;
    EXPECT_GE(std::stod(theMeasured.substr(theAt + 8)), 34.0) << theMeasured;
}

// Frames passed on as decoded are converted only in size, pixel format and rate; a clip of
// another shape is still fitted on black. Clip A (160x120, 25 fps) sets the movie; the second
// clip follows it at frame 50.
TEST(RenderPlan, PassedOnFramesShowTheClipAsDrawnOnesDid)
{
    videotest::TemporaryFolder theFolder;
    const std::string theA = theFolder.PathOf("a.mp4"), theMovie = theFolder.PathOf("m.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=160x120:rate=25:duration=2 -c:v libx264 "
                         "-pix_fmt yuv420p '" + theA + "'"),
              0);
    const struct {
        const char* name;
        const char* make;      // the clip, from FFmpeg's test source
        const char* reference; // its frames as the movie should show them, else black at the sides
        int step;              // clip frames a movie frame
        double mean;           // the most the movie's RGB may differ from the reference on average
    } theCases[] = {
        // FFmpeg's RGB of the 10-bit frames themselves differs by 2 to 3 from any 8-bit copy;
        // the frame before or after differs by 5.
        {"b.mkv", "testsrc2=size=160x120:rate=50:duration=1 -c:v ffv1 -pix_fmt yuv420p10le", "", 2, 3.5},
        {"b.mp4", "testsrc2=size=320x240:rate=25:duration=1 -c:v libx264 -pix_fmt yuv420p",
         "-vf scale=160:120:flags=area -c:v ffv1", 1, 1.5},
        {"b.mp4", "testsrc2=size=120x120:rate=25:duration=1 -c:v libx264 -pix_fmt yuv420p", nullptr, 1, 0.0},
    };
    for (const auto& theCase : theCases) {
        SCOPED_TRACE(theCase.make);
        const std::string theB = theFolder.PathOf(theCase.name), theReference = theFolder.PathOf("reference.mkv");
        ASSERT_EQ(RunCommand(std::string("ffmpeg -v error -y -f lavfi -i ") + theCase.make + " '" + theB + "'"), 0);
        if (theCase.reference && *theCase.reference) {
            ASSERT_EQ(RunCommand("ffmpeg -v error -y -i '" + theB + "' " + theCase.reference + " '" + theReference + "'"), 0);
        }
        std::string theErrors;
        ASSERT_EQ(RunGlintweave("render -y --transition in --frames 5 '" + theA + "' '" + theB + "' -o '" + theMovie + "'",
                                nullptr, &theErrors),
                  0)
            << theErrors;
        for (int theFrame : {0, 7}) {
            SCOPED_TRACE(theFrame);
            const std::vector<uint8_t> thePicture = FfmpegFrame(theMovie, 50 + theFrame);
            if (!theCase.reference) {
                // 120x120 in the middle of 160x120: 20 columns of black each side.
                for (int theX : {5, 154}) {
                    const size_t theAt = (60 * 160 + size_t(theX)) * 3;
                    EXPECT_LT(thePicture[theAt] + thePicture[theAt + 1] + thePicture[theAt + 2], 30) << theX;
                }
                continue;
            }
            const std::string theShown = *theCase.reference ? theReference : theB;
            EXPECT_LE(DifferenceOf(thePicture, FfmpegFrame(theShown, theFrame * theCase.step)).mean, theCase.mean);
        }
    }
}

// A player closed while its clips are still being opened ends the plan before the next clip.
TEST(RenderPlan, StopsBeforeTheNextClipWhenAsked)
{
    videotest::TemporaryFolder theFolder;
    const std::string theClip = theFolder.PathOf("a.mp4");
    ASSERT_EQ(RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=160x120:rate=25:duration=1 -c:v libx264 '" +
                         theClip + "'"),
              0);
    RenderJob theJob;
    theJob.which = 3;
    // The third is no clip at all: opening it would end the plan with another message.
    theJob.clips = {theClip, theClip, theFolder.PathOf("missing.mp4")};
    int theAsked = 0;
    RenderPlan thePlan;
    std::string theError;
    EXPECT_FALSE(PlanRender(nullptr, theJob, thePlan, theError, [&] { return ++theAsked == 3; }));
    EXPECT_EQ(theError, "stopped");
    EXPECT_EQ(theAsked, 3);
}
