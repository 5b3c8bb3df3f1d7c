#include "encodeworker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using video::EncodeWorker;

namespace {

// A job carrying its number as its one sample.
EncodeWorker::Job Numbered(int theNumber, bool thePicture = false)
{
    EncodeWorker::Job theJob;
    if (thePicture) theJob.picture.reset(av_frame_alloc());
    theJob.sound.samples.assign(1, float(theNumber));
    return theJob;
}

int NumberOf(const EncodeWorker::Job& theJob)
{
    return int(theJob.sound.samples.at(0));
}

} // namespace

TEST(EncodeWorker, RunsJobsInOrderOnItsOwnThreadAndRecyclesPictures)
{
    std::vector<int> theRun;
    std::thread::id theCaller = std::this_thread::get_id(), theRunner;
    EncodeWorker theWorker(
        [&](EncodeWorker::Job& theJob, std::string&) {
            theRun.push_back(NumberOf(theJob));
            theRunner = std::this_thread::get_id();
            return true;
        },
        2);
    std::string theError;
    ASSERT_TRUE(theWorker.Start(theError)) << theError;
    EXPECT_FALSE(theWorker.TakePicture());
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(theWorker.Post(Numbered(i, i % 3 == 0), theError)) << theError;
    ASSERT_TRUE(theWorker.Drain(theError)) << theError;
    std::vector<int> theExpected(20);
    for (int i = 0; i < 20; ++i) theExpected[size_t(i)] = i;
    EXPECT_EQ(theRun, theExpected);
    EXPECT_NE(theRunner, theCaller);
    EXPECT_TRUE(theWorker.TakePicture()); // a picture a finished job gave back
}

// A render that hands the encoder the decoder's own pictures never takes them back; holding on
// to them kept every frame of a 10-minute clip (22 GB) until the worker ended.
TEST(EncodeWorker, KeepsOnlyAFewFinishedPictures)
{
    EncodeWorker theWorker([](EncodeWorker::Job&, std::string&) { return true; }, 1);
    std::string theError;
    ASSERT_TRUE(theWorker.Start(theError)) << theError;
    AVBufferRef* theShared = av_buffer_alloc(64);
    ASSERT_TRUE(theShared);
    for (int i = 0; i < 200; ++i) {
        EncodeWorker::Job theJob = Numbered(i, true);
        theJob.picture->buf[0] = av_buffer_ref(theShared);
        ASSERT_TRUE(theJob.picture->buf[0]);
        ASSERT_TRUE(theWorker.Post(std::move(theJob), theError)) << theError;
    }
    ASSERT_TRUE(theWorker.Drain(theError)) << theError;
    EXPECT_LE(av_buffer_get_ref_count(theShared), 1 + 2); // ours, the one waiting and the one encoded
    av_buffer_unref(&theShared);
}

TEST(EncodeWorker, TheFirstFailureStopsItAndComesBackFromLaterCalls)
{
    std::vector<int> theRun;
    EncodeWorker theWorker(
        [&](EncodeWorker::Job& theJob, std::string& theError) {
            theRun.push_back(NumberOf(theJob));
            if (NumberOf(theJob) != 3) return true;
            theError = "disk full at job 3";
            return false;
        },
        1);
    std::string theError;
    ASSERT_TRUE(theWorker.Start(theError));
    bool thePostFailed = false;
    for (int i = 0; i < 50 && !thePostFailed; ++i) thePostFailed = !theWorker.Post(Numbered(i, true), theError);
    // One picture may wait: by the post of job 5 at the latest, the failure is known.
    EXPECT_TRUE(thePostFailed);
    EXPECT_EQ(theError, "disk full at job 3");
    std::string theDrained;
    EXPECT_FALSE(theWorker.Drain(theDrained));
    EXPECT_EQ(theDrained, "disk full at job 3");
    EXPECT_EQ(theRun, (std::vector<int>{0, 1, 2, 3}));
}

TEST(EncodeWorker, PicturesWaitOnlyUpToTheLimitAndStoppingDropsThem)
{
    std::promise<void> theStart, theRelease;
    std::shared_future<void> theReleased = theRelease.get_future().share();
    std::atomic<int> theRuns = 0;
    auto theWorker = std::make_unique<EncodeWorker>(
        [&](EncodeWorker::Job& theJob, std::string&) {
            if (NumberOf(theJob) == 0) theStart.set_value();
            theReleased.wait();
            ++theRuns;
            return true;
        },
        2);
    std::string theError;
    ASSERT_TRUE(theWorker->Start(theError));
    ASSERT_TRUE(theWorker->Post(Numbered(0, true), theError));
    theStart.get_future().wait(); // job 0 runs: two more pictures may wait
    ASSERT_TRUE(theWorker->Post(Numbered(1, true), theError));
    ASSERT_TRUE(theWorker->Post(Numbered(2, true), theError));
    ASSERT_TRUE(theWorker->Post(Numbered(3), theError)) << "sound never waits for room";
    std::future<bool> theFourth = std::async(std::launch::async, [&] {
        std::string theFourthError;
        return theWorker->Post(Numbered(4, true), theFourthError);
    });
    EXPECT_EQ(theFourth.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    theRelease.set_value();
    EXPECT_TRUE(theFourth.get());
    theWorker.reset(); // joins; what still waits is dropped
    EXPECT_GE(theRuns, 1);
    EXPECT_LE(theRuns, 5);
}
