#include "encodeworker.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace video {

EncodeWorker::EncodeWorker(Handler theHandler, size_t thePictures)
    : mHandler(std::move(theHandler)), mMaxPictures(std::max<size_t>(thePictures, 1))
{
}

EncodeWorker::~EncodeWorker()
{
    Stop();
}

bool EncodeWorker::Start(std::string& outError)
{
    try {
        mThread = std::thread(&EncodeWorker::Run, this);
        return true;
    } catch (const std::system_error& theProblem) {
        outError = std::string("cannot start the encoder thread: ") + theProblem.what();
        return false;
    }
}

void EncodeWorker::Stop()
{
    {
        std::lock_guard<std::mutex> theGuard(mLock);
        mStopping = true;
    }
    mChanged.notify_all();
    if (mThread.joinable()) mThread.join();
}

FramePtr EncodeWorker::TakePicture()
{
    std::lock_guard<std::mutex> theGuard(mLock);
    if (mFree.empty()) return nullptr;
    FramePtr thePicture = std::move(mFree.back());
    mFree.pop_back();
    return thePicture;
}

bool EncodeWorker::Post(Job theJob, std::string& outError)
{
    std::unique_lock<std::mutex> theGuard(mLock);
    const bool thePicture = theJob.picture || theJob.packet;
    mChanged.wait(theGuard, [&] { return !mFailure.empty() || !thePicture || mWaitingPictures < mMaxPictures; });
    if (!mFailure.empty()) {
        outError = mFailure;
        return false;
    }
    mJobs.push_back(std::move(theJob));
    if (thePicture) ++mWaitingPictures;
    theGuard.unlock();
    mChanged.notify_all();
    return true;
}

bool EncodeWorker::Drain(std::string& outError)
{
    {
        std::unique_lock<std::mutex> theGuard(mLock);
        mChanged.wait(theGuard, [&] { return !mFailure.empty() || (mJobs.empty() && !mBusy); });
    }
    Stop();
    if (mFailure.empty()) return true;
    outError = mFailure;
    return false;
}

void EncodeWorker::Run()
{
    for (;;) {
        Job theJob;
        {
            std::unique_lock<std::mutex> theGuard(mLock);
            mChanged.wait(theGuard, [&] { return mStopping || !mJobs.empty(); });
            if (mStopping) return;
            theJob = std::move(mJobs.front());
            mJobs.pop_front();
            if (theJob.picture || theJob.packet) --mWaitingPictures;
            mBusy = true;
        }
        mChanged.notify_all();

        std::string theError;
        bool theDone = false;
        try {
            theDone = mHandler(theJob, theError);
            if (!theDone && theError.empty()) theError = "the encoder failed";
        } catch (const std::bad_alloc&) {
            theError = "out of memory"; // short enough to need no allocation
        }

        {
            std::lock_guard<std::mutex> theGuard(mLock);
            mBusy = false;
            if (!theDone) mFailure = std::move(theError);
            // Only as many as can be in flight: pictures that share a decoder's buffers are never
            // taken back, and keeping every one of them would keep every frame of a clip.
            if (theJob.picture && mFree.size() <= mMaxPictures) {
                try {
                    mFree.push_back(std::move(theJob.picture));
                } catch (const std::bad_alloc&) {
                    // Not kept: the next picture is allocated anew.
                }
            }
        }
        mChanged.notify_all();
        if (!theDone) return;
    }
}

} // namespace video
