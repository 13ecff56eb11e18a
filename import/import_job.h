// One import, without windows: runs the converter on a presentation, reads its progress and its
// result line, and takes the slide images it leaves in the staging folder into the wall. Cancel
// never waits: the converter is asked to stop (SIGTERM), killed once a bound has passed, and the
// job ends as stopped once it has ended. The import dialog shows a job; a batch run drives one
// directly.
//
// Progress comes in two stages: while the converter runs, tenths of a percent of 1000 with the
// converter's caption; while the slides are taken in, thumbnails made of the slides' count. A
// failure ends the job with the message for the user; failure() tells its kind.
//
// Given a second warm office instance, a large deck is split: two converters, one on each
// instance, each load the deck and export their half of the slides under the slides' own numbers.
// The thumbnails of a half are made as soon as its converter has ended, while the other may still
// run, and the intake takes the halves in together, in slide order.
#pragma once

#include "import/converter_job.h"
#include "import/image_intake.h"
#include "import/imported_slides.h"
#include "platform/jobs/job.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

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

class ImportJob : public Job {
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

    enum class Stage { Converting, TakingIn };

    // The failure a converter's result names: its result value, or its exit code, which carries
    // the same value modulo 256 (-88 ends the process with 168).
    static Failure failureFor(int result);

    // How long a cancelled converter may take to end its office instance before it is killed.
    static constexpr int kStopGraceMs = 3000;
    // A deck of more slides than this is split when a second instance is given.
    static constexpr int kSplitAbove = 20;

    // Whether a deck is large enough to be split: a .pptx or .ppsx of more than kSplitAbove
    // slides (the slides of other kinds cannot be counted before they are loaded).
    static bool worthSplitting(const QString& deck);

    explicit ImportJob(QObject* parent = nullptr);
    ~ImportJob() override;

    // What the next start() imports.
    void setRequest(const ImportRequest& request) { request_ = request; }
    void setStopGrace(int ms) { stopGraceMs_ = ms; }
    // The warm office instance that converter runs may borrow (none: each starts its own).
    void setWarmOffice(const WarmOffice* warm) { warm_ = warm; }
    // A second one, for the other half of a deck worth splitting (none: no split).
    void setSecondOffice(const WarmOffice* second) { second_ = second; }

    Stage stage() const { return stage_; }
    // The slides the last run took into the wall, when it ended done.
    const ImportedSlides& slides() const { return slides_; }
    // The kind of the last run's failure, when it ended failed.
    Failure failure() const { return failure_; }

signals:
    // Every converter has ended well and the slides are being taken in: the office instances the
    // run borrowed are free for other conversions from now on.
    void converted();

protected:
    // Starts the converter. While the slides are being taken in, a stop makes the intake stop
    // before they replace the wall's. Either way the wall is as it was.
    void begin() override;
    void stop() override;

private:
    // One converter process: of the whole deck, or of one part of it.
    struct ConverterRun {
        int part = 1;
        QProcess process;
        ConverterOutputReader reader;
        double percent = 0;
        std::optional<int> imageCount; // the result line's value
        bool ended = false;
        int exitCode = 0;
        QProcess::ExitStatus exitStatus = QProcess::NormalExit;
        QThread* thumbnails = nullptr; // of this part's slides, while they are made
    };

    void startConverter(int part, int parts, const WarmOffice* office);
    void stopConverters();
    void read(ConverterRun& run);
    void apply(ConverterRun& run, const ConverterOutputReader::Reading& reading);
    void converterEnded(ConverterRun& run);
    void makePartThumbnails(ConverterRun& run);
    void concludeOnceAllEnded();
    void concludeConversion();
    bool joinParts();
    void fail(Failure failure, const QString& detail = {});
    bool rangeMissesTheDeck() const;
    void removeStagedSlides();
    void startIntake();
    void finishIntake(const IntakeResult& result);

    ImportRequest request_;
    std::vector<std::unique_ptr<ConverterRun>> converters_;
    QTimer* killTimer_;
    QThread* intake_ = nullptr;
    ImportedSlides slides_;
    int stopGraceMs_ = kStopGraceMs;
    const WarmOffice* warm_ = nullptr;
    const WarmOffice* second_ = nullptr;
    Stage stage_ = Stage::Converting;
    Failure failure_ = Failure::ConversionFailed;
    QString failureMessage_;
    bool failed_ = false;
    // Stops the part thumbnails and the intake (set from the GUI thread, read by their workers).
    std::atomic<bool> intakeCancelled_{false};
};
