// The warm office instance murano keeps for its converter runs. Starting the office suite is most
// of a conversion's time; an instance kept running lets every import skip it. The instance is set
// up and started in the background (a job on a thread of its own), in its own process group with
// its own profile; it is ended
// with this object, and by its guardian should murano die. When it ends on its own (a
// converter killed it because it hung) a fresh one is started.
//
// Converter runs find it through the environment: addTo() puts MURANO_OFFICE=<pipe name> into a
// child's environment. MURANO_WARM_OFFICE=0 turns the warm instance off.
#pragma once

#include "platform/jobs/job.h"

#include <QObject>
#include <QProcessEnvironment>
#include <QTimer>

#include <memory>
#include <string>

class WarmOffice : public QObject {
    Q_OBJECT
public:
    explicit WarmOffice(QObject* parent = nullptr);
    ~WarmOffice() override; // ends the instance

    // Whether the user allows a warm instance (MURANO_WARM_OFFICE is not 0).
    static bool enabled();

    // Starts the instance in the background unless it runs or is starting; does nothing when
    // turned off. The window stays responsive: the profile set-up runs on a thread of its own.
    void start();

    // Ends the instance and stops replacing it.
    void end();

    // Ends the instance and starts a fresh one in its place (a new profile, a new process).
    void recycle();

    // Whether an instance runs or is starting: false once it is ended, turned off, or has failed
    // to start a few times in a row.
    bool available() const;

    // Whether the running instance accepts connections on its pipe (a converter borrowing it
    // before then would start an office of its own). Once seen, remembered for that instance.
    bool answering();

    // The resident memory of the instance's processes together, in bytes; 0 when none runs.
    qint64 residentBytes() const;

    // Replaces an instance that has ended on its own (a converter killed it because it hung, or
    // someone else did). Done every second; callers that just saw a conversion fail call it now.
    void check();

    // The pipe name of the running instance, or "" when there is none.
    QString pipeName() const;

    // The launcher's process group of the running instance, or -1.
    int processGroup() const;

    // Adds MURANO_OFFICE to a converter's environment when an instance runs.
    void addTo(QProcessEnvironment& environment) const;

signals:
    // A new instance has been launched (it answers a few seconds later).
    void started();

private:
    // The starting job's work: sets up a profile, launches the instance and makes its lock file.
    JobResult launch();
    void launched(const JobResult& result);

    int processGroup_ = -1;
    QString pipeName_;
    // What the starting job launched, read once it has finished.
    int launchedGroup_ = -1;
    std::string launchedPipe_;
    std::unique_ptr<ThreadJob> starting_;
    bool wanted_ = false;
    bool answering_ = false;
    int quickEnds_ = 0; // instances in a row that ended soon after their start
    qint64 startedAt_ = 0;
    QTimer watch_;
};
