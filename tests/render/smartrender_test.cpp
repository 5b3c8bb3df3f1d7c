// Smart render end to end: glintweave copies what it can of H.264 clips into an .mp4 (ProRes
// into a .mov, UT Video into a .mkv), encodes the rest, says in one line which clip it cannot
// copy, and FFmpeg's tools and melt read the movie as they read a fully encoded one.
#include "ffmpegtools.h"
#include "programrun.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

using namespace rendertest;
using namespace videotest;

namespace {

// PSNR of frames [theFirst, theFirst + theCount) of theMovie against the same of theReference.
double PsnrOf(const std::string& theMovie, const std::string& theReference, int theFirst, int theCount)
{
    const std::string theTrim = "trim=start_frame=" + std::to_string(theFirst) +
                                ":end_frame=" + std::to_string(theFirst + theCount) + ",setpts=PTS-STARTPTS,format=yuv420p";
    std::string theErrors;
    EXPECT_EQ(RunCommand("ffmpeg -nostdin -i '" + theMovie + "' -i '" + theReference + "' -lavfi '[0:v]" + theTrim +
                             "[m];[1:v]" + theTrim + "[r];[m][r]psnr' -f null -",
                         nullptr, &theErrors),
              0);
    const size_t theAt = theErrors.find("average:");
    if (theAt == std::string::npos) {
        ADD_FAILURE() << theErrors;
        return 0;
    }
    return std::stod(theErrors.substr(theAt + 8));
}

std::vector<std::string> NotesIn(const std::string& theErrors)
{
    std::vector<std::string> theNotes;
    std::istringstream theLines(theErrors);
    for (std::string theLine; std::getline(theLines, theLine);)
        if (theLine.find("note:") != std::string::npos) theNotes.push_back(theLine);
    return theNotes;
}

// The render said theNote (a line's start) and nothing else of note, or no note when it is "".
void ExpectNote(const std::string& theErrors, const char* theNote)
{
    const std::vector<std::string> theNotes = NotesIn(theErrors);
    if (*theNote) {
        ASSERT_EQ(theNotes.size(), 1u) << theErrors;
        EXPECT_EQ(theNotes[0].rfind(theNote, 0), 0u) << theNotes[0];
    } else {
        EXPECT_EQ(theNotes, std::vector<std::string>{}) << theErrors;
    }
}

struct SmartCase {
    const char* name;
    const char* clipB;   // how clip B is made from FFmpeg's testsrc, 4 s with sound
    const char* options; // for every render of the case
    bool copiesA, copiesB;
    const char* note;    // the one line said, or "" for none
    int lastOfA = -1;    // the last movie frame copied from A, where the row is about it
    const char* output = ".mp4"; // the movie's kind, and the clips' container
    // How clip A is made from testsrc2, 4 s with sound. H.264: a keyframe a second, two B-frames.
    const char* clipA = "-c:v libx264 -g 25 -bf 2 -c:a aac";
};

// Copies theSource into theTarget (.mp4) packet for packet, theChange altering each picture's
// packet (numbered in decode order) on its way: an index or a packet as a faulty writer leaves it.
bool Remux(const std::string& theSource, const std::string& theTarget, const std::function<void(int, AVPacket&)>& theChange)
{
    AVFormatContext* theInput = nullptr;
    AVFormatContext* theOutput = nullptr;
    AVPacket* thePacket = av_packet_alloc();
    bool theDone = thePacket && avformat_open_input(&theInput, theSource.c_str(), nullptr, nullptr) >= 0 &&
                   avformat_find_stream_info(theInput, nullptr) >= 0 &&
                   avformat_alloc_output_context2(&theOutput, nullptr, nullptr, theTarget.c_str()) >= 0;
    for (unsigned i = 0; theDone && i < theInput->nb_streams; ++i) {
        AVStream* theStream = avformat_new_stream(theOutput, nullptr);
        theDone = theStream && avcodec_parameters_copy(theStream->codecpar, theInput->streams[i]->codecpar) >= 0;
        if (theDone) {
            theStream->codecpar->codec_tag = 0;
            theStream->time_base = theInput->streams[i]->time_base;
        }
    }
    theDone = theDone && avio_open(&theOutput->pb, theTarget.c_str(), AVIO_FLAG_WRITE) >= 0 &&
              avformat_write_header(theOutput, nullptr) >= 0;
    for (int thePicture = 0; theDone && av_read_frame(theInput, thePacket) >= 0;) {
        const AVStream* theFrom = theInput->streams[thePacket->stream_index];
        if (theFrom->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) theChange(thePicture++, *thePacket);
        av_packet_rescale_ts(thePacket, theFrom->time_base, theOutput->streams[thePacket->stream_index]->time_base);
        theDone = av_interleaved_write_frame(theOutput, thePacket) >= 0;
        av_packet_unref(thePacket);
    }
    theDone = theDone && av_write_trailer(theOutput) >= 0;
    if (theOutput) avio_closep(&theOutput->pb);
    avformat_free_context(theOutput);
    avformat_close_input(&theInput);
    av_packet_free(&thePacket);
    return theDone;
}

// What FFmpeg's decoder complains of, one thread so the lines come in order, without the
// decoders' addresses.
std::string DecodeErrors(const std::string& thePath)
{
    std::string theErrors = Output("ffmpeg -v error -nostdin -threads 1 -i '" + thePath + "' -map 0:v -f null - 2>&1");
    for (size_t theAt = 0; (theAt = theErrors.find(" @ 0x", theAt)) != std::string::npos;)
        theErrors.erase(theAt, theErrors.find_first_not_of("0123456789abcdef", theAt + 5) - theAt);
    return theErrors;
}

struct FaultyCase {
    const char* name;
    bool asB;                                     // the faulty clip is clip B, else clip A
    const char* script;                           // makes faulty.mp4 from clip.mp4 in the test's folder, or
    std::function<void(int, AVPacket&)> change;   // remuxes clip.mp4 so
    const char* note;                             // the one line said, or "" for none
};

} // namespace

TEST(SmartRender, CopiesWhatItCanAndTheMovieReadsAsAFullRender)
{
    TemporaryFolder theFolder;
    const std::string theSameKind = "-pix_fmt yuv420p -c:v libx264 -g 40 -bf 2 -c:a aac";
    const std::string theFineTimes = theSameKind + " -video_track_timescale 90000",
                      theCoarseTimes = theSameKind + " -video_track_timescale 1000";
    const std::string theHevc = "-pix_fmt yuv420p -c:v libx265 -x265-params log-level=error -c:a aac";
    // As the movie's own encoders make them.
    const char* const theProRes = "-c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le -c:a pcm_s24le";
    const char* const theUtVideo = "-c:v utvideo -pix_fmt gbrp -c:a flac";
    const SmartCase theCases[] = {
        {"Cross between keyframes", theSameKind.c_str(), "--frames 12", true, true, ""},
        {"Cross at a keyframe", theSameKind.c_str(), "--frames 12 --at 3", true, true, ""},
        {"B: parameter sets of other ids, one B-frame", "-pix_fmt yuv420p -c:v libx264 -g 30 -bf 1 -x264-params sps-id=2 -c:a aac",
         "--frames 12", true, true, ""},
        {"B: other parameter sets of the same ids", "-pix_fmt yuv420p -c:v libx264 -g 40 -bf 2 -profile:v main -c:a aac",
         "--frames 12", true, false,
         "glintweave: note: clip 2 has another SPS of id 0 than the clips copied before it: every frame of it is encoded"},
        {"B: open GOPs", "-pix_fmt yuv420p -c:v libx264 -g 25 -x264-params open-gop=1 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 has keyframes that are not IDR pictures (open GOPs, or a wrong index): every frame of it is encoded"},
        {"B: HEVC", theHevc.c_str(), "--frames 12", true, false,
         "glintweave: note: clip 2 is hevc, not H.264: every frame of it is encoded"},
        {"B: other size", "-vf scale=352:288,setsar=1 -pix_fmt yuv420p -c:v libx264 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 is 352x288, the movie 320x240: every frame of it is encoded"},
        {"B: other frame rate", "-r 30 -pix_fmt yuv420p -c:v libx264 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 runs at 30 fps, the movie at 25: every frame of it is encoded"},
        {"B: variable frame rate",
         "-vf \"settb=1/1000,setpts='(N*0.04+if(mod(N,2),-0.03,0))/TB'\" -fps_mode vfr -enc_time_base 1:1000 -pix_fmt yuv420p"
         " -c:v libx264 -g 40 -bf 2 -c:a aac",
         "--frames 12", true, false,
         "glintweave: note: clip 2 varies its frame rate (25.189 fps on average): every frame of it is encoded"},
        {"B: pixels of shape 16:15", "-vf setsar=16/15 -pix_fmt yuv420p -c:v libx264 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 is 341x240, the movie 320x240: every frame of it is encoded"},
        {"B: full-range levels", "-pix_fmt yuvj420p -c:v libx264 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 is changed on its way: its full-range levels are converted: every frame of it is encoded"},
        {"B: 10-bit", "-pix_fmt yuv420p10le -c:v libx264 -c:a aac", "--frames 12", true, false,
         "glintweave: note: clip 2 is stored as yuv420p10le, not 8-bit 4:2:0: every frame of it is encoded"},
        {"B: times in 1/90000 s", theFineTimes.c_str(), "--frames 12", true, true, ""},
        // x264 puts a P-frame at A's frame 56, after two B-frames.
        {"Cross at a mini-GOP boundary; B: times in 1/1000 s", theCoarseTimes.c_str(),
         "--frames 12 --at 2.28", true, true, "", 56},
        {"--size", theSameKind.c_str(), "--frames 12 --size 640x480", false, false, ""},
        {"--proxy", theSameKind.c_str(), "--frames 12 --proxy", false, false, ""},
        {"--reencode", theSameKind.c_str(), "--frames 12 --reencode", false, false, ""},
        {"ProRes into .mov", theProRes, "--frames 12", true, true, "", -1, ".mov", theProRes},
        {"B: ProRes 422 LT", "-c:v prores_ks -profile:v 1 -pix_fmt yuv422p10le -c:a pcm_s24le", "--frames 12", true, false,
         "glintweave: note: clip 2 is ProRes LT, stored as apcs, the movie as apch: every frame of it is encoded", -1, ".mov",
         theProRes},
        {"UT Video into .mkv", theUtVideo, "--frames 12", true, true, "", -1, ".mkv", theUtVideo},
        {"B: UT Video in one slice", "-c:v utvideo -slices 1 -pix_fmt gbrp -c:a flac", "--frames 12", true, false,
         "glintweave: note: clip 2 has other UT Video settings than the movie (its codec private data differs): every "
         "frame of it is encoded",
         -1, ".mkv", theUtVideo},
    };
    std::map<std::string, std::pair<std::string, std::vector<std::string>>> theClipsA; // by how they are made
    int theCase = 0;
    for (const SmartCase& theRow : theCases) {
        SCOPED_TRACE(theRow.name);
        const std::string theTag = std::to_string(++theCase), theKind = theRow.output;
        auto& [theA, theAHashes] = theClipsA[theKind + theRow.clipA];
        if (theA.empty()) {
            theA = MakePatternClip(theFolder, "a" + theTag + theKind, "testsrc2", theRow.clipA, 4, true);
            theAHashes = PictureHashes(theA);
            ASSERT_EQ(theAHashes.size(), 100u);
        }
        const std::string theB = MakePatternClip(theFolder, "b" + theTag + theKind, "testsrc", theRow.clipB, 4, true);
        const std::vector<std::string> theBHashes = PictureHashes(theB);
        const std::string theSmart = theFolder.PathOf("smart" + theTag + theKind), theFull = theFolder.PathOf("full" + theTag + theKind),
                          theLossless = theFolder.PathOf("lossless" + theTag + ".mkv");
        const std::string theJob = "--transition cross " + std::string(theRow.options) + " '" + theA + "' '" + theB + "' -o ";
        std::string theErrors;
        ASSERT_EQ(RunGlintweave("render --stats " + theJob + "'" + theSmart + "'", nullptr, &theErrors), 0) << theErrors;
        ExpectNote(theErrors, theRow.note);
        int theCopied = -1;
        const size_t theStats = theErrors.find("frames copied ");
        ASSERT_NE(theStats, std::string::npos) << theErrors;
        theCopied = std::atoi(theErrors.c_str() + theStats + 14);
        std::string theFullErrors;
        const std::string theFullRender = std::string(theRow.options).find("--reencode") == std::string::npos ? "render --reencode " : "render ";
        ASSERT_EQ(RunGlintweave(theFullRender + theJob + "'" + theFull + "'", nullptr, &theFullErrors), 0) << theFullErrors;
        ASSERT_EQ(RunGlintweave(theFullRender + theJob + "'" + theLossless + "'", nullptr, &theFullErrors), 0) << theFullErrors;

        EXPECT_EQ(Output("ffmpeg -v error -nostdin -i '" + theSmart + "' -f null - 2>&1 | head -n 5"), "");
        const int theFrames = FfprobeFrameCount(theFull);
        EXPECT_EQ(FfprobeFrameCount(theSmart), theFrames);

        // The copied stretches the plan shows, picture for picture as in their clips.
        const std::vector<std::string> theHashes = PictureHashes(theSmart);
        ASSERT_EQ(int(theHashes.size()), theFrames);
        bool theCopiesA = false, theCopiesB = false;
        int theTransitionFirst = -1, theTransitionCount = 0, theCopiedInPlan = 0;
        for (const PlanRow& thePart : PlanOf(theJob + "'" + theSmart + "'")) {
            const int theCount = thePart.movieLast - thePart.movieFirst + 1;
            // A seek into the middle of each part shows what decoding from the start shows.
            const int theMiddle = thePart.movieFirst + theCount / 2, theSeen = std::min(3, theFrames - theMiddle);
            EXPECT_EQ(PictureHashes(theSmart, theMiddle / 25.0, theSeen),
                      std::vector<std::string>(theHashes.begin() + theMiddle, theHashes.begin() + theMiddle + theSeen))
                << "seek to movie frame " << theMiddle << " in " << thePart.what;
            if (thePart.what.rfind("Cross", 0) == 0) {
                theTransitionFirst = thePart.movieFirst;
                theTransitionCount = theCount;
            }
            if (thePart.what.rfind("copied from clip", 0) != 0) continue;
            const bool theFromA = thePart.what == "copied from clip 1";
            (theFromA ? theCopiesA : theCopiesB) = true;
            if (theFromA && theRow.lastOfA >= 0) {
                EXPECT_EQ(thePart.movieLast, theRow.lastOfA);
            }
            theCopiedInPlan += theCount;
            const std::vector<std::string>& theSource = theFromA ? theAHashes : theBHashes;
            for (int i = 0; i < theCount; ++i) {
                ASSERT_LT(size_t(thePart.clipFirst + i), theSource.size());
                EXPECT_EQ(theHashes[size_t(thePart.movieFirst + i)], theSource[size_t(thePart.clipFirst + i)])
                    << thePart.what << ", movie frame " << thePart.movieFirst + i;
            }
        }
        EXPECT_EQ(theCopiesA, theRow.copiesA);
        EXPECT_EQ(theCopiesB, theRow.copiesB);
        EXPECT_EQ(theCopied, theCopiedInPlan) << "--stats against --plan";

        const auto theTimes = PacketTimes(theSmart);
        for (size_t i = 0; i < theTimes.size(); ++i) {
            EXPECT_GE(theTimes[i].second, theTimes[i].first) << "packet " << i;
            if (i > 0) {
                EXPECT_GT(theTimes[i].first, theTimes[i - 1].first) << "packet " << i;
            }
        }
        EXPECT_NEAR(StreamSeconds(theSmart, 'a'), StreamSeconds(theSmart, 'v'), 1 / 25.0);

        // The transition as good as a full render's, against a lossless one.
        ASSERT_GT(theTransitionCount, 0);
        EXPECT_GE(PsnrOf(theSmart, theLossless, theTransitionFirst, theTransitionCount),
                  PsnrOf(theFull, theLossless, theTransitionFirst, theTransitionCount) - 1.0);

        // MLT, as Kdenlive and Shotcut would read it, plays every frame.
        if (theCopied > 0) {
            std::string theMeltErrors;
            const std::string theMelt = "cd '" + theFolder.Path() + "' && HOME='" + theFolder.Path() + "' timeout 90 melt -silent -quiet '" +
                                        theSmart + "' -consumer avformat:melt.nut vcodec=rawvideo pix_fmt=yuv420p an=1 real_time=-1";
            int theStatus = RunCommand(theMelt, nullptr, &theMeltErrors);
            // melt plays these in under a second, yet once in CI hung until the timeout; a movie
            // that hangs it hangs it again.
            if (theStatus == 124) theStatus = RunCommand(theMelt, nullptr, &theMeltErrors);
            EXPECT_EQ(theStatus, 0) << theMeltErrors;
            EXPECT_EQ(FfprobeFrameCount(theFolder.PathOf("melt.nut")), theFrames);
        }
    }
}

// Clips whose index lies, or whose packets are damaged, or that a cut left starting between
// keyframes: copied where that is sound, else encoded with one line saying why; never a movie
// that decodes worse than its clips.
TEST(SmartRender, FaultyClipsAreCopiedSoundlyOrEncoded)
{
    TemporaryFolder theFolder;
    const std::string theA = MakePatternClip(theFolder, "a.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2 -c:a aac", 4, true);
    const std::string theB =
        MakePatternClip(theFolder, "b.mp4", "testsrc", "-pix_fmt yuv420p -c:v libx264 -g 40 -bf 2 -c:a aac", 4, true);
    const std::string theFaulty = theFolder.PathOf("faulty.mp4");
    // Picture 60 of B and 30 of A, in decode order, lie in the stretches copied.
    const FaultyCase theCases[] = {
        // FFmpeg's reader finds H.264 keyframes in the pictures themselves, whatever the index says.
        {"some P-frames flagged keyframes", true, nullptr,
         [](int thePicture, AVPacket& thePacket) {
             if (thePicture % 10 == 5) thePacket.flags |= AV_PKT_FLAG_KEY;
         },
         ""},
        {"every picture flagged a keyframe (no sync sample table)", false, nullptr,
         [](int, AVPacket& thePacket) { thePacket.flags |= AV_PKT_FLAG_KEY; }, ""},
        {"only the first picture flagged a keyframe", false, nullptr,
         [](int thePicture, AVPacket& thePacket) {
             if (thePicture > 0) thePacket.flags &= ~AV_PKT_FLAG_KEY;
         },
         ""},
        {"an edit list from a cut between keyframes", true, "ffmpeg -v error -nostdin -ss 1.3 -i clip.mp4 -c copy faulty.mp4",
         nullptr,
         "glintweave: note: clip 2 has an edit list that hides some of its pictures: every frame of it is encoded"},
        {"an edit list that delays the pictures", false, "ffmpeg -v error -nostdin -itsoffset 0.5 -i clip.mp4 -c copy faulty.mp4",
         nullptr, ""},
        {"starts on a picture that is not a keyframe", true,
         "ffmpeg -v error -nostdin -i clip.mp4 -ss 1.3 -c copy -copyinkf faulty.mp4", nullptr,
         "glintweave: note: clip 2 starts on a picture that is not an IDR picture: every frame of it is encoded"},
        {"a NAL unit's length runs past its packet", true, nullptr,
         [](int thePicture, AVPacket& thePacket) {
             if (thePicture == 60) thePacket.data[3] = uint8_t(thePacket.data[3] + 16);
         },
         "glintweave: note: clip 2 has a damaged packet (picture 60 in decode order): every frame of it is encoded"},
        {"garbage slice data", false, nullptr,
         [](int thePicture, AVPacket& thePacket) {
             if (thePicture != 30) return;
             for (int i = thePacket.size / 2; i < thePacket.size; ++i) thePacket.data[i] ^= 0x5a;
         },
         ""},
    };
    int theCase = 0;
    for (const FaultyCase& theRow : theCases) {
        SCOPED_TRACE(theRow.name);
        std::remove(theFaulty.c_str());
        const std::string theClip = theRow.asB ? theB : theA;
        if (theRow.change) {
            ASSERT_TRUE(Remux(theClip, theFaulty, theRow.change));
        } else {
            ASSERT_EQ(Output("cd '" + theFolder.Path() + "' && ln -sf '" + theClip + "' clip.mp4 && " + theRow.script + " 2>&1"),
                      "");
        }
        const std::string theTag = std::to_string(++theCase);
        const std::string theSmart = theFolder.PathOf("smart" + theTag + ".mp4"),
                          theFull = theFolder.PathOf("full" + theTag + ".mp4");
        const std::string theJob = "--transition cross --frames 12 '" + (theRow.asB ? theA : theFaulty) + "' '" +
                                   (theRow.asB ? theFaulty : theB) + "' -o ";
        std::string theErrors;
        ASSERT_EQ(RunGlintweave("render " + theJob + "'" + theSmart + "'", nullptr, &theErrors), 0) << theErrors;
        ExpectNote(theErrors, theRow.note);
        ASSERT_EQ(RunGlintweave("render --reencode " + theJob + "'" + theFull + "'", nullptr, &theErrors), 0) << theErrors;
        EXPECT_EQ(FfprobeFrameCount(theSmart), FfprobeFrameCount(theFull));
        // A clip's own damage, copied, decodes as it does in the clip: nothing more.
        EXPECT_EQ(DecodeErrors(theSmart), DecodeErrors(theRow.note[0] ? theFull : theFaulty));
    }
}

// x264's lossless pictures are of another profile than the clips': a lossless movie copies
// nothing, says so in one line and in its plan, and shows the untouched frames as decoded.
TEST(SmartRender, ALosslessMovieCopiesNothingAndSaysSo)
{
    TemporaryFolder theFolder;
    const std::string theA = MakePatternClip(theFolder, "a.mp4", "testsrc2", "-c:v libx264 -g 25 -bf 2 -c:a aac", 2, true);
    const std::string theB = MakePatternClip(theFolder, "b.mp4", "testsrc", "-c:v libx264 -g 25 -bf 2 -c:a aac", 2, true);
    const std::string theMovie = theFolder.PathOf("lossless.mp4");
    const std::string theJob = "--transition cross --frames 12 --crf 0 '" + theA + "' '" + theB + "' -o '" + theMovie + "'";
    const char* const theNote = "glintweave: note: --crf 0: lossless pictures cannot sit beside copied ones, so every "
                                "frame is encoded";
    std::string thePrinted, theErrors;
    ASSERT_EQ(RunGlintweave("render --plan " + theJob, &thePrinted, &theErrors), 0) << theErrors;
    ExpectNote(theErrors, theNote);
    EXPECT_NE(thePrinted.find("\nnothing is copied: --crf 0: "), std::string::npos) << thePrinted;
    ASSERT_EQ(RunGlintweave("render --stats " + theJob, nullptr, &theErrors), 0) << theErrors;
    ExpectNote(theErrors, theNote);
    EXPECT_NE(theErrors.find("frames copied 0,"), std::string::npos) << theErrors;
    EXPECT_EQ(Output("ffprobe -v error -select_streams v -show_entries stream=profile -of csv=p=0 '" + theMovie + "'"),
              "High 4:4:4 Predictive\n");
    const std::vector<std::string> theHashes = PictureHashes(theMovie, -1, 38), theClip = PictureHashes(theA, -1, 38);
    EXPECT_EQ(theHashes, theClip);
}
