// One import, without windows: runs the converter on a presentation, reads its progress and its
// result line, and takes the slide images it leaves in the staging folder into the wall. Cancel
// never waits: the converter is asked to stop (SIGTERM), killed once a bound has passed, and
// stopped() tells when it has ended. The import dialog shows a job; a batch run drives one
// directly.
#pragma once

#include "import/converter_job.h"
#include "import/image_intake.h"
#include "import/imported_slides.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>

class QThread;
class QTimer;
class WarmOffice;

struct ImportRequest {
    QString converter;    // the converter program
    QString presentation; // the deck to import
    QString workFolder;   // the wall's work folder, ending in "/"
    bool allPages = true;
    QStringList chooesPage; // a custom range's page entries, as parsed
};

class ImportJob : public QObject {
    Q_OBJECT

public:
    enum class Failure {
        CannotStart,      // the converter program could not be started
        InputMissing,     // the presentation does not exist
        NotAPresentation, // the file could not be loaded as a presentation
        OfficeNotStarted, // the office suite could not be started
        TimedOut,         // starting the office suite and loading took too long
        NoSlideInRange,   // the custom range names no slide of the deck (detail: its slide count)
        ConversionFailed  // any other failure: no images, or no result line
    };
    Q_ENUM(Failure)

    // The failure a converter's result names: its result value, or its exit code, which carries
    // the same value modulo 256 (-88 ends the process with 168).
    static Failure failureFor(int result);

    // How long a cancelled converter may take to end its office instance before it is killed.
    static constexpr int kStopGraceMs = 3000;

    explicit ImportJob(QObject* parent = nullptr);
    ~ImportJob() override;

    // Starts the converter. Returns false, starting nothing, while a job is still running.
    bool start(const ImportRequest& request);
    // Stops the converter without waiting for it; no intake follows. While the slides are being
    // taken in, the intake stops before they replace the wall's. Either way stopped() follows and
    // the wall is as it was. Returns false when there is nothing (more) to stop.
    bool cancel();
    void setStopGrace(int ms) { stopGraceMs_ = ms; }
    // The warm office instance that converter runs may borrow (none: each starts its own).
    void setWarmOffice(const WarmOffice* warm) { warm_ = warm; }

    // True from start() until ended().
    bool isBusy() const;

signals:
    // The converter's progress, in percent.
    void progress(double percent);
    // Thumbnails made so far while the slides are taken in.
    void intakeProgress(int done, int total);
    void failed(ImportJob::Failure failure, const QString& detail);
    // The slides are in the wall.
    void finished(const ImportedSlides& slides);
    // A cancelled converter has ended.
    void stopped();
    // The job is idle again, whichever way it ended.
    void ended();

private slots:
    void readProcess();
    void pptToImageFinished(int code, QProcess::ExitStatus status = QProcess::NormalExit);

private:
    void onProcessError(QProcess::ProcessError error);
    void apply(const ConverterOutputReader::Reading& reading);
    void fail(Failure failure, const QString& detail);
    bool rangeMissesTheDeck() const;
    void removeStagedSlides();
    void startIntake();
    void finishIntake(const IntakeResult& result);
    void end();

    ImportRequest request_;
    QProcess converter_;
    ConverterOutputReader reader_;
    QTimer* killTimer_;
    QThread* intake_ = nullptr;
    ImportedSlides slides_;
    int stopGraceMs_ = kStopGraceMs;
    const WarmOffice* warm_ = nullptr;
    bool running_ = false;
    bool cancelled_ = false;
    bool failed_ = false;
    bool resultRead_ = false;
    std::atomic<bool> intakeCancelled_{false};
};
