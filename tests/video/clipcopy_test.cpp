// Movies that copy H.264 clips' pictures as they are and encode only the frames between:
// checked with FFmpeg's own tools on clips made by its command line and x264.
#include "ClipCopy.h"
#include "MovieWriter.h"
#include "ffmpegtools.h"
#include "videotestsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

using namespace videotest;

namespace {

video::MovieSettings SmallMovie()
{
    video::MovieSettings theMovie;
    theMovie.width = 320;
    theMovie.height = 240;
    theMovie.rate = {25, 1};
    theMovie.withAudio = true;
    return theMovie;
}

video::ClipCopyFacts Examined(const std::string& thePath)
{
    video::ClipCopyFacts theFacts;
    std::string theWhyNot;
    EXPECT_TRUE(video::ExamineClipForCopy(thePath, "movie.mp4", SmallMovie(), theFacts, theWhyNot)) << theWhyNot;
    return theFacts;
}

double MeanDifference(const std::vector<UInt8>& theOne, const std::vector<UInt8>& theOther)
{
    double theSum = 0;
    for (size_t i = 0; i < theOne.size() && i < theOther.size(); ++i) theSum += std::abs(int(theOne[i]) - int(theOther[i]));
    return theSum / double(std::max<size_t>(1, theOne.size()));
}

struct CopyCase {
    const char* name;
    const char* clipB;      // x264's options for clip B (clip A: a keyframe a second, two B-frames)
    SInt32 cut;             // where the Cross starts in A
    bool copiesB;           // B's parameter sets fit with A's in one sample description
    const char* whyNotB;    // else part of the reason
};

} // namespace

// A Cross of 12 frames from A into B: A copied up to a split at or before the cut, the frames
// from there to B's first clean split after the Cross encoded, the rest of B copied, and two
// frames encoded after it.
TEST(CopiedPictures, MovieDecodesCleanlyAndCopiedPicturesMatchTheirClips)
{
    TemporaryFolder theFolder;
    const std::string theA = MakePatternClip(theFolder, "a.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2");
    const std::vector<std::string> theAHashes = PictureHashes(theA);
    ASSERT_EQ(theAHashes.size(), 75u);
    const SInt32 theCross = 12;
    for (const CopyCase& theCase :
         {CopyCase{"cut at a keyframe; B: keyframes every 40, another time base", "-g 40 -bf 2 -video_track_timescale 90000",
                   50, true, ""},
          CopyCase{"cut inside a GOP", "-g 40 -bf 2", 58, true, ""},
          CopyCase{"B: other parameter sets of their own ids, one B-frame", "-g 30 -bf 1 -x264-params sps-id=2", 50, true, ""},
          CopyCase{"B: other parameter sets of the same ids", "-g 40 -bf 2 -profile:v main", 50, false, "SPS of id 0"}}) {
        SCOPED_TRACE(theCase.name);
        const std::string theB = MakePatternClip(theFolder, "b.mp4", "testsrc", std::string("-pix_fmt yuv420p -c:v libx264 ") + theCase.clipB);
        const std::vector<std::string> theBHashes = PictureHashes(theB);
        ASSERT_EQ(theBHashes.size(), 75u);

        video::MovieSettings theMovie = SmallMovie();
        const video::ClipCopyFacts theAFacts = Examined(theA);
        const video::ClipCopyFacts theBFacts = Examined(theB);
        theMovie.copySources.push_back(theAFacts);
        std::string theWhyNot;
        ASSERT_EQ(video::FitsWithCopiedClips(theBFacts, theMovie.copySources, theWhyNot), theCase.copiesB);
        EXPECT_NE(theWhyNot.find(theCase.whyNotB), std::string::npos) << theWhyNot;
        if (theCase.copiesB) theMovie.copySources.push_back(theBFacts);

        const SInt32 theAEnd = theAFacts.EndAtOrBefore(theCase.cut);
        const SInt32 theBStart = theCase.copiesB ? theBFacts.StartAtOrAfter(theCross) : 75;
        ASSERT_GT(theAEnd, 25);
        if (theCase.cut % 25 == 0) EXPECT_EQ(theAEnd, theCase.cut);
        else EXPECT_LT(theCase.cut - theAEnd, 3) << "a mini-GOP boundary, not the keyframe before";

        const std::string theOutput = theFolder.PathOf("movie.mp4");
        std::string theError;
        auto theWriter = video::MovieWriter::Create(theOutput, theMovie, theError);
        ASSERT_TRUE(theWriter) << theError;
        ASSERT_TRUE(theWriter->CopiesPackets());
        // Pictures as decoded, straight into the encoder.
        std::unique_ptr<video::FrameSource> theAPictures = OpenClip(theA), theBPictures = OpenClip(theB);
        ASSERT_TRUE(theAPictures && theBPictures);
        const auto theAdd = [&](video::FrameSource& theClip, SInt32 theFrame) {
            const AVFrame* thePicture = theClip.DecodedFrame(theFrame, theError);
            return thePicture && theWriter->AddDecodedFrame(thePicture, nullptr, theError);
        };
        ASSERT_TRUE(theWriter->AddCopiedPackets(theAFacts, 0, theAEnd, nullptr, theError)) << theError;
        for (SInt32 i = theAEnd; i < theCase.cut; ++i)
            ASSERT_TRUE(theAdd(*theAPictures, i)) << theError;
        // The transition's pictures: what the plug-in draws does not matter here.
        for (SInt32 i = 0; i < theBStart; ++i)
            ASSERT_TRUE(theAdd(*theBPictures, i)) << theError;
        if (theBStart < 75) {
            ASSERT_TRUE(theWriter->AddCopiedPackets(theBFacts, theBStart, 75, nullptr, theError)) << theError;
        }
        // Two frames more after the copy, as an Out's end state would be: a second encoded run.
        for (int i = 0; i < 2; ++i) ASSERT_TRUE(theAdd(*theBPictures, 74)) << theError;
        ASSERT_TRUE(theWriter->Finish(theError)) << theError;

        EXPECT_EQ(Output("ffmpeg -v error -nostdin -i '" + theOutput + "' -f null - 2>&1 | head -n 5"), "");
        const std::vector<std::string> theHashes = PictureHashes(theOutput);
        ASSERT_EQ(theHashes.size(), size_t(theCase.cut + 77));
        for (SInt32 i = 0; i < theAEnd; ++i) EXPECT_EQ(theHashes[size_t(i)], theAHashes[size_t(i)]) << "A's frame " << i;
        for (SInt32 i = theBStart; i < 75; ++i)
            EXPECT_EQ(theHashes[size_t(theCase.cut + i)], theBHashes[size_t(i)]) << "B's frame " << i;

        // Encoded pictures keep their places: each is nearest the source's picture of its number.
        std::unique_ptr<video::FrameSource> theMovieFrames = OpenClip(theOutput);
        ASSERT_TRUE(theMovieFrames);
        for (SInt32 i = theAEnd; i < theCase.cut; ++i) {
            const std::vector<UInt8> theWritten = FramePixels(*theMovieFrames, i);
            const double theSame = MeanDifference(theWritten, FramePixels(*theAPictures, i));
            EXPECT_LT(theSame, MeanDifference(theWritten, FramePixels(*theAPictures, i - 1))) << "A's frame " << i;
            EXPECT_LT(theSame, MeanDifference(theWritten, FramePixels(*theAPictures, i + 1))) << "A's frame " << i;
        }

        const auto theTimes = PacketTimes(theOutput);
        ASSERT_EQ(theTimes.size(), theHashes.size());
        for (size_t i = 0; i < theTimes.size(); ++i) {
            EXPECT_GE(theTimes[i].second, theTimes[i].first) << "packet " << i;
            if (i > 0) {
                EXPECT_GT(theTimes[i].first, theTimes[i - 1].first) << "packet " << i;
            }
        }
        // Tagged as any movie of this size, though the clips are not.
        EXPECT_EQ(Output("ffprobe -v error -select_streams v -show_entries stream=color_range,color_space,color_transfer,"
                         "color_primaries -of csv=p=0 '" + theOutput + "'"),
                  "tv,smpte170m,smpte170m,smpte170m\n");

        // The sound track is there and ends with the pictures.
        const double thePictureLength = StreamSeconds(theOutput, 'v'), theSoundLength = StreamSeconds(theOutput, 'a');
        EXPECT_NEAR(thePictureLength, (theCase.cut + 77) / 25.0, 0.001);
        EXPECT_NEAR(theSoundLength, thePictureLength, 0.03);

        // A seek into each part: copied A, the encoded run, copied B.
        for (SInt32 theFrame : {theAEnd / 2, theCase.cut + 3, theCase.cut + 60}) {
            const std::vector<std::string> theSeen = PictureHashes(theOutput, theFrame / 25.0, 3);
            ASSERT_EQ(theSeen.size(), 3u) << "seek to frame " << theFrame;
            for (size_t i = 0; i < 3; ++i) EXPECT_EQ(theSeen[i], theHashes[size_t(theFrame) + i]) << "seek to frame " << theFrame;
        }
    }
}

struct RefusedCase {
    const char* name;
    const char* options; // made from the test pattern with these, or else
    const char* script;  // made by these commands in the test's folder
    const char* reason;  // part of the reason given
};

TEST(CopiedPictures, ClipsThatCannotBeCopiedAreNamedWithTheReason)
{
    TemporaryFolder theFolder;
    MakePatternClip(theFolder, "whole.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2");
    for (const RefusedCase& theCase :
         {RefusedCase{"open GOPs", "-c:v libx264 -g 25 -x264-params open-gop=1", nullptr, "open GOP"},
          RefusedCase{"HEVC", "-c:v libx265 -x265-params log-level=error", nullptr, "is hevc, not H.264"},
          RefusedCase{"variable rate", "-vf \"select='lt(mod(n,5),2)'\" -fps_mode vfr -c:v libx264", nullptr,
                      "varies its frame rate"},
          RefusedCase{"a picture left out", "-vf \"select='not(eq(n,30))'\" -fps_mode passthrough -c:v libx264", nullptr,
                      "varies its frame rate"},
          RefusedCase{"other frame rate", "-r 30 -c:v libx264", nullptr, "runs at 30 frames a second, the movie at 25"},
          RefusedCase{"other size", "-vf scale=352:288 -c:v libx264", nullptr, "is 352x288, the movie 320x240"},
          RefusedCase{"other pixel shape", "-vf setsar=4/3 -c:v libx264", nullptr, "pixels of shape 4:3"},
          RefusedCase{"other pixel format", "-pix_fmt yuv444p -c:v libx264", nullptr, "yuv444p, not 8-bit 4:2:0"},
          RefusedCase{"interlaced", "-c:v libx264 -flags +ildct+ilme -top 1", nullptr, "is interlaced"},
          RefusedCase{"other colour tags", "-c:v libx264 -color_primaries bt470m -color_trc gamma22", nullptr, "colour tags"},
          RefusedCase{"an edit list starting inside a GOP", nullptr,
                      "ffmpeg -v error -nostdin -y -ss 0.5 -i whole.mp4 -c copy refused.mp4", "edit list"},
          // Two streams joined as they are: the second's SPS and PPS, of the same ids, come with
          // its first picture.
          RefusedCase{"parameter sets changed on the way", nullptr,
                      "for p in high main; do ffmpeg -v error -nostdin -y -f lavfi -i testsrc2=s=320x240:r=25:d=2 "
                      "-c:v libx264 -profile:v $p -bf 0 $p.h264; done; cat high.h264 main.h264 > joined.h264; "
                      "ffmpeg -v error -nostdin -y -r 25 -i joined.h264 -c copy refused.mp4",
                      "changes the meaning of a parameter set id"}}) {
        SCOPED_TRACE(theCase.name);
        std::string thePath = theFolder.PathOf("refused.mp4");
        if (theCase.options) MakePatternClip(theFolder, "refused.mp4", "testsrc2", theCase.options);
        else ASSERT_EQ(Output("cd '" + theFolder.Path() + "' && (" + theCase.script + ") 2>&1"), "");
        video::ClipCopyFacts theFacts;
        std::string theWhyNot;
        EXPECT_FALSE(video::ExamineClipForCopy(thePath, "movie.mp4", SmallMovie(), theFacts, theWhyNot));
        EXPECT_NE(theWhyNot.find(theCase.reason), std::string::npos) << theWhyNot;
    }
}

TEST(CopiedPictures, OnlyMp4MovAndMkvMoviesTakeCopies)
{
    struct Case {
        const char* path;
        bool takes;
        const char* reason;
    };
    for (const Case& theCase : {Case{"out.mp4", true, ""}, Case{"OUT.MP4", true, ""}, Case{"out.mov", true, ""},
                                Case{"out.mkv", true, ""}, Case{"out.y4m", false, "is a .y4m, which takes no copied pictures"},
                                Case{"shot_%04d.png", false, "is a .png, which takes no copied pictures"}}) {
        std::string theWhyNot;
        EXPECT_EQ(video::MovieTakesCopies(theCase.path, theWhyNot), theCase.takes) << theCase.path;
        EXPECT_EQ(theWhyNot, theCase.reason) << theCase.path;
    }
}

TEST(CopiedPictures, ACopyFromNoCleanSplitFailsAndLeavesNothing)
{
    TemporaryFolder theFolder;
    const std::string theClip = MakePatternClip(theFolder, "a.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2");
    video::MovieSettings theMovie = SmallMovie();
    theMovie.copySources.push_back(Examined(theClip));
    const std::string theOutput = theFolder.PathOf("movie.mp4");
    std::string theError;
    auto theWriter = video::MovieWriter::Create(theOutput, theMovie, theError);
    ASSERT_TRUE(theWriter) << theError;
    ASSERT_TRUE(theWriter->AddCopiedPackets(theMovie.copySources.front(), 0, 25, nullptr, theError)) << theError;
    EXPECT_FALSE(theWriter->AddCopiedPackets(theMovie.copySources.front(), 26, 50, nullptr, theError));
    EXPECT_NE(theError.find("no clean split"), std::string::npos) << theError;
    EXPECT_FALSE(theWriter->Finish(theError));
    theWriter.reset();
    EXPECT_EQ(theFolder.Entries(), std::vector<std::string>{"a.mp4"});
}

TEST(CopiedPictures, TimesInCoarseUnitsRoundToTheirFrames)
{
    // Matroska keeps milliseconds: 29.97 frames a second fall 33 or 34 ms apart.
    TemporaryFolder theFolder;
    const std::string thePath = theFolder.PathOf("ntsc.mkv");
    ASSERT_EQ(Output("ffmpeg -v error -nostdin -f lavfi -i testsrc2=s=320x240:r=30000/1001:d=3 -c:v libx264 -g 30 -bf 2 '" +
                     thePath + "' 2>&1"),
              "");
    video::MovieSettings theMovie = SmallMovie();
    theMovie.rate = {30000, 1001};
    video::ClipCopyFacts theFacts;
    std::string theWhyNot;
    ASSERT_TRUE(video::ExamineClipForCopy(thePath, "movie.mp4", theMovie, theFacts, theWhyNot)) << theWhyNot;
    EXPECT_EQ(theFacts.frameCount, 90);
    EXPECT_EQ(theFacts.starts, (std::vector<SInt32>{0, 30, 60}));
}

// ProRes into a .mov and UT Video into a .mkv: every picture stands alone, so every frame is a
// clean split; a clip whose pictures the movie's track cannot describe is refused.
TEST(CopiedPictures, IntraOnlyClipsSplitAtEveryFrame)
{
    TemporaryFolder theFolder;
    struct Case {
        const char* name;
        const char* clip;
        const char* options;
        const char* movie;
        const char* reason; // part of it; "" when the clip is taken
    };
    const char* const theProRes = "-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le";
    for (const Case& theCase : {Case{"ProRes 422 HQ", "c.mov", theProRes, "movie.mov", ""},
                                Case{"UT Video, RGB", "c.mkv", "-c:v utvideo -pix_fmt gbrp", "movie.mkv", ""},
                                Case{"ProRes 4444", "c.mov", "-c:v prores_ks -profile:v 4 -pix_fmt yuv444p10le", "movie.mov",
                                     "is stored as yuv444p12le, not 10-bit 4:2:2"},
                                Case{"ProRes into a .mkv", "c.mov", theProRes, "movie.mkv", "is prores, not UT Video"},
                                // FFmpeg tags the track progressive, as its source frames are.
                                Case{"ProRes interlaced in its frame headers only", "i.mov",
                                     "-flags +ildct -c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le", "movie.mov",
                                     "is interlaced"},
                                Case{"UT Video with alpha", "c.mkv", "-c:v utvideo -pix_fmt gbrap", "movie.mkv",
                                     "is stored as gbrap, not 8-bit RGB"}}) {
        SCOPED_TRACE(theCase.name);
        const std::string thePath = MakePatternClip(theFolder, theCase.clip, "testsrc2", theCase.options, 2);
        video::ClipCopyFacts theFacts;
        std::string theWhyNot;
        const bool theTaken = video::ExamineClipForCopy(thePath, theFolder.PathOf(theCase.movie), SmallMovie(), theFacts, theWhyNot);
        if (*theCase.reason) {
            EXPECT_FALSE(theTaken);
            EXPECT_NE(theWhyNot.find(theCase.reason), std::string::npos) << theWhyNot;
            continue;
        }
        ASSERT_TRUE(theTaken) << theWhyNot;
        EXPECT_TRUE(theFacts.intraOnly);
        EXPECT_EQ(theFacts.frameCount, 50);
        std::vector<SInt32> theEvery(50);
        for (SInt32 i = 0; i < 50; ++i) theEvery[size_t(i)] = i;
        EXPECT_EQ(theFacts.starts, theEvery);
        for (SInt32& theFrame : theEvery) ++theFrame;
        EXPECT_EQ(theFacts.ends, theEvery);
    }
}

// The writer's own check: copies examined for another encoder than the movie's are refused
// before anything is written.
TEST(CopiedPictures, AMovieRefusesCopiesItsEncoderCannotSitAmong)
{
    TemporaryFolder theFolder;
    video::ClipCopyFacts theFacts;
    theFacts.path = theFolder.PathOf("c.mkv");
    theFacts.frameCount = 1;
    theFacts.intraOnly = true;
    theFacts.codecPrivate = {1, 2, 3, 4};
    video::MovieSettings theMovie = SmallMovie();
    theMovie.copySources.push_back(theFacts);
    for (const auto& [theName, theReason] : {std::pair<const char*, const char*>{"movie.mkv", "codec settings are not the encoder's"},
                                             {"movie.mp4", "examined for another codec"}}) {
        std::string theError;
        EXPECT_FALSE(video::MovieWriter::Create(theFolder.PathOf(theName), theMovie, theError)) << theName;
        EXPECT_NE(theError.find(theReason), std::string::npos) << theError;
    }
    EXPECT_EQ(theFolder.Entries(), std::vector<std::string>{});
}
