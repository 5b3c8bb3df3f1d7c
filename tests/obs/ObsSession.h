// The real libobs, headless: a private X server (Xvfb) for OpenGL through X11 EGL on Mesa's
// llvmpipe, a canvas of a given size and rate, the glintweave module loaded as OBS Studio
// loads it from a user plug-in folder, and every output frame read back in BGRA.
#pragma once

#include <obs.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <utility>
#include <string>
#include <vector>

struct ObsFrame {
    uint64_t number; // counted from the first frame read back
    uint64_t timestamp; // of the canvas frame it shows
    std::vector<uint8_t> pixels; // BGRA, rows of width * 4 bytes
};

class ObsSession {
public:
    ObsSession() = default;
    ObsSession(const ObsSession&) = delete;
    ObsSession& operator=(const ObsSession&) = delete;
    ~ObsSession();

    // Xvfb, libobs and a canvas that holds theWidth x theHeight; false with the reason.
    bool Start(uint32_t theWidth, uint32_t theHeight, uint32_t theRateNum, uint32_t theRateDen, std::string& outError);
    // Finds glintweave in theConfig/obs-studio/plugins (OBS Studio's user plug-in folder, where
    // the folder named after the module holds bin/64bit and data) and loads it.
    bool LoadUserModule(const std::string& theConfig, std::string& outError);
    // Loads a module of OBS's own, from the system plug-in folders.
    bool LoadSystemModule(const char* theName, std::string& outError);

    // Starts handing every output frame to the session.
    void ReadFrames();
    // The first frame read back after theCount frames had been; waits at most theSeconds.
    bool WaitFrame(uint64_t theCount, double theSeconds, ObsFrame& outFrame);
    // The first frame rendered wholly after this call: what was changed before it is in there.
    // The output runs frames behind the canvas, more of them when rendering is slow.
    bool WaitNewFrame(double theSeconds, ObsFrame& outFrame);
    uint64_t CountFrames();
    // Every frame read back since the last call, oldest first.
    std::vector<ObsFrame> TakeFrames();
    // Keeps every frame rather than the latest only, until TakeFrames.
    void KeepAllFrames(bool theKeep);

    // theSource drawn into a texture of theWidth x theHeight in the graphics thread and read
    // straight back, in BGRA, past OBS's output stage.
    static std::vector<uint8_t> RenderSource(obs_source_t* theSource, uint32_t theWidth, uint32_t theHeight);
    // What OBS's output shows of a canvas holding thePicture (BGRA, theWidth x theHeight) at its
    // top left. libobs 29.0 draws the canvas into a BGRA output through its default effect even
    // at the canvas's own size: a filtered read in linear light. llvmpipe's texture coordinates
    // there are a hair off the texel centres on canvases 1920 or 1984 wide (not 1856 or 2560), so
    // a dark pixel beside a bright one comes out a step up. No output format avoids it: an RGBA
    // or BGRX output of the canvas's size reads back a texture libobs never drew.
    std::vector<uint8_t> PassOutputStage(const std::vector<uint8_t>& thePicture, uint32_t theWidth,
                                         uint32_t theHeight) const;

    // libobs's log so far.
    std::vector<std::string> LogLines();

    uint32_t width = 0; // the canvas and its output frames
    uint32_t height = 0;

private:
    static void FrameHandler(void* theParam, video_data* theFrame);
    static void TickHandler(void* theParam, float theSeconds);

    int mServerPid = -1;
    void* mDisplay = nullptr;
    bool mStarted = false;
    bool mReading = false;
    std::mutex mLock;
    std::condition_variable mArrived;
    uint64_t mCount = 0;
    bool mMarking = false;   // the next tick notes its frame's time
    uint64_t mMarkedTime = 0;
    bool mKeepAll = false;
    ObsFrame mLatest;
    std::vector<ObsFrame> mKept;
};

// A source of a picture given in BGRA, drawn texel for texel: "glint_test_picture", its
// settings' "picture" naming a picture given to SetTestPicture. Registered by Start.
// A transition between two of them is of their size, whatever the canvas's.
void SetTestPicture(const std::string& theName, uint32_t theWidth, uint32_t theHeight, std::vector<uint8_t> thePixels);
obs_source_t* CreatePicture(const std::string& theName);
