// How a piece of work ended, as a value: a job's result, and the outcome of each step of
// publishing (copying a book, writing an archive or an executable, saving or opening a project)
// that a job runs. No QObject needed, so that code without a job can return it too.
#pragma once

#include <QMetaType>
#include <QString>

// How a job ended: a code to branch on and, unless it is done, the message for the user (naming
// the file or address that failed).
struct JobResult {
    enum Code { Done = 0, Failed = 1, Stopped = 2 };
    Code code = Done;
    QString message;

    bool ok() const { return code == Done; }
    static JobResult done() { return {}; }
    static JobResult failure(const QString& message) { return {Failed, message}; }
    static JobResult stopped(const QString& message = {}) { return {Stopped, message}; }
};
Q_DECLARE_METATYPE(JobResult)
