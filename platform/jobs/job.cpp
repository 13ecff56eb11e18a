#include "platform/jobs/job.h"

#include <QMetaObject>
#include <QThread>

Job::Job(QObject* parent) : QObject(parent) {
    qRegisterMetaType<JobResult>();
}

bool Job::start() {
    if (running_) {
        return false;
    }
    running_ = true;
    cancelled_ = false;
    result_ = JobResult::done();
    begin();
    return true;
}

bool Job::cancel() {
    if (!running_ || cancelled_) {
        return false;
    }
    cancelled_ = true;
    stop();
    return true;
}

void Job::onOwnThread(const std::function<void()>& deliver) {
    if (QThread::currentThread() == thread()) {
        deliver();
    } else {
        QMetaObject::invokeMethod(this, deliver, Qt::QueuedConnection);
    }
}

void Job::report(qint64 done, qint64 total, const QString& text) {
    onOwnThread([this, done, total, text] { emit progress(done, total, text); });
}

void Job::finish(const JobResult& result) {
    onOwnThread([this, result] { end(result); });
}

void Job::end(JobResult result) {
    if (cancelled_ && !result.ok() && result.code != JobResult::Stopped) {
        result = JobResult::stopped(result.message);
    }
    result_ = result;
    running_ = false;
    emit finished(result_);
}

ThreadJob::ThreadJob(Work work, QObject* parent) : Job(parent), work_(std::move(work)) {}

ThreadJob::~ThreadJob() {
    if (thread_) {
        cancel();
        thread_->wait();
    }
}

void ThreadJob::begin() {
    QThread* thread = QThread::create([this] { finish(work_(*this)); });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, this, [this, thread] {
        if (thread_ == thread) {
            thread_ = nullptr;
        }
    });
    thread_ = thread;
    thread->start();
}
