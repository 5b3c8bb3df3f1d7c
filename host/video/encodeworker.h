// Encoding and muxing on a thread of their own, so that a movie's next frame is decoded and
// rendered while the last one is encoded. Only FFmpeg work runs there: the caller converts each
// picture into an AVFrame the worker then owns, and keeps GWorlds and the platform to itself.
//
// Jobs run in the order posted. The first job that fails stops the worker; its error comes back
// from that and every later Post and from Drain. Destroying the worker drops what waits and joins.
#pragma once

#include "AudioFrames.h"
#include "avsupport.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace video {

class EncodeWorker {
public:
    struct Job {
        FramePtr picture; // null for a sound job
        AudioBlock sound;
        PacketPtr packet; // a picture copied as it is, in place of one encoded
    };
    // Runs on the worker thread for every job.
    using Handler = std::function<bool(Job& theJob, std::string& outError)>;

    // At most thePictures picture jobs (encoded or copied) wait while one is encoded.
    EncodeWorker(Handler theHandler, size_t thePictures);
    ~EncodeWorker();
    EncodeWorker(const EncodeWorker&) = delete;
    EncodeWorker& operator=(const EncodeWorker&) = delete;

    bool Start(std::string& outError);

    // A picture an earlier job is done with, to fill again; null when none is free.
    FramePtr TakePicture();

    // Waits for room, then queues the job; false with the worker's error once it has failed.
    bool Post(Job theJob, std::string& outError);

    // Waits until every job has run and ends the thread; false with the first job's error.
    bool Drain(std::string& outError);

    // Drops the jobs still waiting, lets the running one end and joins the thread.
    void Stop();

private:
    void Run();

    Handler mHandler;
    size_t mMaxPictures;
    std::mutex mLock;
    std::condition_variable mChanged;
    std::deque<Job> mJobs;
    std::vector<FramePtr> mFree;
    size_t mWaitingPictures = 0;
    bool mBusy = false;
    bool mStopping = false;
    std::string mFailure;
    std::thread mThread;
};

} // namespace video
