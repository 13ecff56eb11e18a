// The one shape of long work: one result per start, progress as amounts, a stop honoured only
// while the work runs, and nothing delivered to a job that is gone.
#include "platform/jobs/job.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

class JobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "job_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
    }
};

// Work that counts to `steps`, stopping early when asked, and ends as `end` says.
ThreadJob::Work counting(int steps, JobResult end, std::atomic<bool>* release = nullptr) {
    return [steps, end, release](ThreadJob& job) {
        for (int step = 1; step <= steps && !job.cancelled(); ++step) {
            job.report(step, steps, QStringLiteral("step"));
            while (release && !*release && !job.cancelled()) {
                std::this_thread::yield();
            }
        }
        return job.cancelled() ? JobResult::stopped() : end;
    };
}

} // namespace

TEST_F(JobTest, EachStartEndsOnceWithItsResultAfterItsProgress) {
    for (const JobResult& end : {JobResult::done(), JobResult::failure("disk full")}) {
        ThreadJob job(counting(3, end));
        QSignalSpy progress(&job, &Job::progress);
        QSignalSpy finished(&job, &Job::finished);
        ASSERT_TRUE(job.start());
        EXPECT_FALSE(job.start()) << "one run at a time";
        ASSERT_TRUE(finished.wait(30000));
        EXPECT_EQ(finished.count(), 1);
        EXPECT_EQ(progress.count(), 3) << "every report arrives before the end";
        EXPECT_EQ(progress.last().at(0).toLongLong(), 3);
        EXPECT_EQ(job.result().code, end.code);
        EXPECT_EQ(job.result().message, end.message);
        EXPECT_FALSE(job.isRunning());
        EXPECT_TRUE(job.start()) << "a job can run again";
        ASSERT_TRUE(finished.wait(30000));
    }
}

TEST_F(JobTest, AStopEndsTheRunAsStoppedAndOnlyWhileItRuns) {
    std::atomic<bool> release{false};
    ThreadJob job(counting(1000, JobResult::failure("interrupted"), &release));
    QSignalSpy finished(&job, &Job::finished);
    EXPECT_FALSE(job.cancel()) << "nothing runs yet";
    ASSERT_TRUE(job.start());
    EXPECT_TRUE(job.cancel());
    EXPECT_FALSE(job.cancel()) << "a stop is asked once";
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(job.result().code, JobResult::Stopped);
}

TEST_F(JobTest, AJobDestroyedWhileRunningStopsAndWaitsForItsWork) {
    std::atomic<bool> workEnded{false};
    {
        ThreadJob job([&](ThreadJob& self) {
            while (!self.cancelled()) {
                std::this_thread::yield();
            }
            workEnded = true;
            return JobResult::stopped();
        });
        job.start();
    }
    EXPECT_TRUE(workEnded) << "the work never outlives its job";
    QCoreApplication::processEvents(); // nothing queued to the gone job may run
}
