#include "PlayQueue.h"

namespace play {

void PlayQueue::Begin(const video::MovieSettings& theSettings)
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mSettings = theSettings;
    mBegun = true;
    mChanged.notify_all();
}

void PlayQueue::SetTotalFrames(SInt64 theTotal)
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mTotal = theTotal;
}

bool PlayQueue::Push(std::unique_ptr<PlayFrame> theFrame)
{
    std::unique_lock<std::mutex> theLock(mMutex);
    mChanged.wait(theLock, [&] { return mQuit || mFrames.size() < mCapacity; });
    if (mQuit) return false;
    mFrames.push_back(std::move(theFrame));
    return true;
}

void PlayQueue::Finish(bool theSucceeded, const std::string& outError)
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mFinished = true;
    mSucceeded = theSucceeded;
    mError = outError;
    mChanged.notify_all();
}

bool PlayQueue::WaitForBegin(video::MovieSettings& outSettings, std::chrono::milliseconds theWait)
{
    std::unique_lock<std::mutex> theLock(mMutex);
    mChanged.wait_for(theLock, theWait, [&] { return mBegun || mFinished; });
    if (!mBegun) return false;
    outSettings = mSettings;
    return true;
}

bool PlayQueue::HasFinished()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mFinished;
}

std::unique_ptr<PlayFrame> PlayQueue::TryPop()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    if (mFrames.empty()) return nullptr;
    std::unique_ptr<PlayFrame> theFrame = std::move(mFrames.front());
    mFrames.pop_front();
    mChanged.notify_all();
    return theFrame;
}

bool PlayQueue::Drained()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mFinished && mFrames.empty();
}

SInt64 PlayQueue::TotalFrames()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mTotal;
}

bool PlayQueue::HasFailed()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mFinished && !mSucceeded;
}

std::string PlayQueue::Error()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mError;
}

void PlayQueue::Quit()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    mQuit = true;
    mChanged.notify_all();
}

bool PlayQueue::HasQuit()
{
    std::lock_guard<std::mutex> theLock(mMutex);
    return mQuit;
}

} // namespace play
