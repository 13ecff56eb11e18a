// One long operation, shown by whoever watches it: the window shows a job in a dialog, the command
// line on the terminal, a test not at all. A job knows no widget. start() only begins the work;
// the job reports amounts as it goes and ends once, with one result. It can be asked to stop at
// any time, and then ends as stopped unless its work had already ended.
#pragma once

#include "platform/jobs/job_result.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class Job : public QObject {
    Q_OBJECT

public:
    explicit Job(QObject* parent = nullptr);

    // Begins the work. Returns false, beginning nothing, while the job is running.
    bool start();
    // Asks the work to stop. Returns false when nothing runs (or a stop was asked already).
    bool cancel();
    bool isRunning() const { return running_; }
    // The outcome of the last run.
    const JobResult& result() const { return result_; }

    // Safe from any thread: whether a stop was asked, for work that looks now and then.
    bool cancelled() const { return cancelled_; }
    // Safe from any thread: done of total units (slides, entries, bytes; a total of 0 means busy
    // without a measure) and what is being done.
    void report(qint64 done, qint64 total, const QString& text = {});

signals:
    void progress(qint64 done, qint64 total, const QString& text);
    // Once per start, on the job's own thread.
    void finished(const JobResult& result);

protected:
    // Begins the work, which calls finish() exactly once when it has ended (from any thread).
    virtual void begin() = 0;
    // What a stop does beyond setting cancelled() (ending a child process, aborting a request).
    virtual void stop() {}
    // Safe from any thread: ends the run with this result (stopped when a stop was asked and the
    // work reports a failure caused by it). On the job's own thread finished() is emitted before
    // this returns.
    void finish(const JobResult& result);

private:
    // Runs deliver now when called on the job's thread, else queued to it: what a job reports
    // arrives in the order it was reported, and never on another thread.
    void onOwnThread(const std::function<void()>& deliver);
    void end(JobResult result);

    bool running_ = false;
    std::atomic<bool> cancelled_{false};
    JobResult result_;
};

class QThread;

// A job whose work is one function, run on a thread of its own. The function gets its job to
// report progress and to ask whether to stop.
class ThreadJob : public Job {
    Q_OBJECT

public:
    using Work = std::function<JobResult(ThreadJob& job)>;

    explicit ThreadJob(Work work, QObject* parent = nullptr);
    // Asks a running work to stop and waits for its thread.
    ~ThreadJob() override;

protected:
    void begin() override;

private:
    Work work_;
    QThread* thread_ = nullptr;
};
