// Debian's melt renders two generated clips through the mixer, as Kdenlive would
// through MLT; FFmpeg makes the clips and decodes the result.
#include "mixermovies.h"

namespace {

class MeltMixer : public MixerMovies {
protected:
    static void SetUpTestSuite()
    {
        MixerMovies::SetUpTestSuite();
        for (auto [theName, theColor] : {std::pair{"a", cA}, {"b", cB}}) {
            char theCommand[400];
            std::snprintf(theCommand, sizeof theCommand,
                          "ffmpeg -v error -y -f lavfi -i color=c=0x%06X:s=%dx%d:r=25:d=2,format=rgb24 "
                          "-c:v rawvideo %s.nut",
                          theColor, cWidth, cHeight, theName);
            Run(theCommand);
        }
    }

    // The movie melt makes with the mixer and the given properties, progress keyframed 0 to 1.
    static std::vector<Frame> RenderWithMelt(const std::string& theProperties)
    {
        return RenderMovie("FREI0R_PATH='" GLINT_MIXER_DIR "' timeout 30 melt -silent -quiet a.nut in=0 out=39 "
                           "b.nut in=0 out=39 -mix 20 -mixer frei0r.glintweave 'progress=0=0;-1=1' " +
                           theProperties + " -consumer avformat:out.nut vcodec=rawvideo pix_fmt=rgb24 an=1 real_time=-1");
    }
};

TEST_F(MeltMixer, CrossDissolvesInsideTheRegionAndShowsTheSecondClipAroundIt)
{
    ASSERT_FALSE(lgFolder.empty());
    ASSERT_EQ(std::system("command -v melt >/dev/null && command -v ffmpeg >/dev/null"), 0)
        << "melt or ffmpeg is missing: run scripts/install-deps.sh";
    // Columns 40 to 119 and rows 15 to 104.
    CheckDissolve(RenderWithMelt("transition=cross left=0.25 right=0.75 top=0.125 bottom=0.875 seed=42"), cA, cB, cB,
                  40, 120, 15, 105);
}

TEST_F(MeltMixer, OutAndInMeetTheFillColour)
{
    ASSERT_FALSE(lgFolder.empty());
    CheckDissolve(RenderWithMelt("transition=out fill=0x1020f0ff"), cA, cFill, cA, 0, cWidth, 0, cHeight);
    // Outside the region In shows the second clip as it is.
    CheckDissolve(RenderWithMelt("transition=in fill=#1020f0 left=0.5"), cFill, cB, cB, 80, cWidth, 0, cHeight);
}

} // namespace
