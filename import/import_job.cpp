#include "import/import_job.h"
#include "wall/wall_folder.h"

#include "import/import_checks.h"
#include "import/page_range.h"
#include "platform/lantrel/result_codes.h"
#include "platform/office/warm_office.h"
#include "wall/folders.h"

#include "platform/zipread/zipread.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A converter whose murano is gone (killed, crashed) is asked to stop at once, as a cancel would,
// instead of converting for no one and leaving its staging folder behind.
void endWithThisProcess(QProcess& process) {
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) {
            ::raise(SIGTERM);
        }
    });
}

} // namespace

ImportJob::ImportJob(QObject* parent) : Job(parent), killTimer_(new QTimer(this)) {
    killTimer_->setSingleShot(true);
    connect(killTimer_, &QTimer::timeout, this, [this] {
        for (const auto& run : converters_) {
            run->process.kill();
        }
    });
}

bool ImportJob::worthSplitting(const QString& deck) {
    const QString suffix = QFileInfo(deck).suffix().toLower();
    if (suffix != QLatin1String("pptx") && suffix != QLatin1String("ppsx")) {
        return false;
    }
    murano::zipread::Archive archive;
    if (!archive.open(deck.toStdString()).ok()) {
        return false;
    }
    static const QRegularExpression slide(QStringLiteral("^ppt/slides/slide[0-9]+\\.xml$"));
    int slides = 0;
    for (const murano::zipread::Entry& entry : archive.entries()) {
        slides += slide.match(QString::fromStdString(entry.name)).hasMatch();
    }
    return slides > kSplitAbove;
}

ImportJob::Failure ImportJob::failureFor(int result) {
    // The exit code is the result value modulo 256.
    switch (static_cast<signed char>(result & 0xff)) {
    case kOfficeNotStarted:
        return Failure::OfficeNotStarted;
    case kConversionFailed:
        return Failure::NotAPresentation;
    case kInputMissing:
        return Failure::InputMissing;
    case kLoadingTimedOut:
        return Failure::TimedOut;
    default:
        return Failure::ConversionFailed;
    }
}

ImportJob::~ImportJob() {
    for (const auto& run : converters_) {
        if (run->process.state() != QProcess::NotRunning) {
            run->process.disconnect(this);
            run->process.kill();
            run->process.waitForFinished(kStopGraceMs);
        }
    }
    intakeCancelled_ = true;
    for (const auto& run : converters_) {
        if (run->thumbnails) {
            run->thumbnails->wait();
            delete run->thumbnails;
        }
    }
    if (intake_) {
        intake_->wait();
    }
}

void ImportJob::begin() {
    stage_ = Stage::Converting;
    failed_ = false;
    failureMessage_.clear();
    slides_ = ImportedSlides();
    slides_.allPages = request_.allPages;
    slides_.chooesPage = request_.chooesPage;
    slides_.chooesPageNum = static_cast<int>(request_.chooesPage.size());
    // Slides of an earlier, interrupted run must not mix with the new ones.
    removeStagedSlides();
    converters_.clear();
    intakeCancelled_ = false;
    const bool split = warm_ && second_ && worthSplitting(request_.presentation);
    const std::vector<const WarmOffice*> offices =
        split ? std::vector<const WarmOffice*>{warm_, second_} : std::vector{warm_};
    for (std::size_t part = 0; part < offices.size(); ++part) {
        startConverter(int(part) + 1, int(offices.size()), offices.at(part));
    }
}

void ImportJob::startConverter(int part, int parts, const WarmOffice* office) {
    converters_.push_back(std::make_unique<ConverterRun>());
    ConverterRun& run = *converters_.back();
    run.part = part;
    QProcess& process = run.process;
    connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this, &run](int code, QProcess::ExitStatus status) {
                run.exitCode = code;
                run.exitStatus = status;
                converterEnded(run);
            });
    connect(&process, &QProcess::readyReadStandardOutput, this, [this, &run] { read(run); });
    connect(&process, &QProcess::errorOccurred, this, [this, &run](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) { // a crash or a kill ends in finished()
            fail(Failure::CannotStart, QStringLiteral("Can NOT start \"%1\": %2")
                                           .arg(run.process.program(), run.process.errorString()));
            converterEnded(run);
        }
    });
    endWithThisProcess(process);
    const QStringList arguments =
        converterArguments(request_.presentation, request_.workFolder, part, parts);
    qDebug() << "cmd" << request_.converter << arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (office) {
        office->addTo(environment);
    }
    process.setProcessEnvironment(environment);
    process.start(request_.converter, arguments, QIODevice::ReadWrite);
}

void ImportJob::stop() {
    if (intake_) {
        intakeCancelled_ = true; // the intake stops before the slides replace the wall's
        return;
    }
    stopConverters();
}

void ImportJob::stopConverters() {
    intakeCancelled_ = true; // part thumbnails being made are of no use now
    for (const auto& run : converters_) {
        if (run->process.state() != QProcess::NotRunning) {
            // A polite stop first, so the converter can end its office instance; then a hard one.
            run->process.terminate();
            killTimer_->start(stopGraceMs_);
        }
    }
}

void ImportJob::read(ConverterRun& run) {
    apply(run, run.reader.read(run.process.readAllStandardOutput()));
}

// The progress of a split conversion is that of its parts together.
void ImportJob::apply(ConverterRun& run, const ConverterOutputReader::Reading& reading) {
    if (cancelled() || failed_) {
        return; // what a stopped or failed run still prints changes nothing
    }
    if (reading.percent) {
        run.percent = *reading.percent;
        double sum = 0;
        for (const auto& each : converters_) {
            sum += each->percent;
        }
        const double percent = sum / double(converters_.size());
        report(static_cast<qint64>(percent * 10), 1000, progressCaption(percent));
    }
    if (reading.imageCount) {
        run.imageCount = *reading.imageCount;
        if (*run.imageCount < 1) {
            fail(failureFor(*run.imageCount));
        }
    }
}

// The first failure is the one the user is told of; the job ends once every converter has.
void ImportJob::fail(Failure failure, const QString& detail) {
    if (failed_) {
        return;
    }
    failed_ = true;
    failure_ = failure;
    failureMessage_ = failureText(failure, request_.presentation, detail);
}

void ImportJob::converterEnded(ConverterRun& run) {
    if (run.ended) {
        return;
    }
    run.ended = true;
    qDebug() << "converterEnded" << run.exitCode << run.exitStatus;
    apply(run, run.reader.finish());
    if (!failed_ && !run.imageCount) {
        // The converter ended without a result line (its watchdog's time-out, a crash): its exit
        // code still tells why, unless it crashed. The wall stays as it is.
        fail(run.exitStatus == QProcess::NormalExit ? failureFor(run.exitCode)
                                                    : Failure::ConversionFailed);
    }
    if (failed_ && converters_.size() > 1) {
        stopConverters(); // the other part is of no use now
    } else if (converters_.size() > 1 && !cancelled()) {
        makePartThumbnails(run);
    }
    concludeOnceAllEnded();
}

// A part's thumbnails are made on a thread of their own while the other part may still convert,
// so that the intake after the last part has only its thumbnails left to wait for, if any.
void ImportJob::makePartThumbnails(ConverterRun& run) {
    const WallFolder work(request_.workFolder);
    const QString slides = work.conversionStaging(run.part);
    const QString thumbnails = work.stagedThumbnails(run.part);
    run.thumbnails = QThread::create([this, slides, thumbnails] {
        MakeThumbnails(slides, thumbnails, 0, {}, &intakeCancelled_);
    });
    connect(run.thumbnails, &QThread::finished, this, [this, &run] {
        run.thumbnails->deleteLater();
        run.thumbnails = nullptr;
        concludeOnceAllEnded();
    });
    run.thumbnails->start();
}

void ImportJob::concludeOnceAllEnded() {
    const bool allEnded = std::all_of(converters_.begin(), converters_.end(), [](const auto& each) {
        return each->ended && !each->thumbnails;
    });
    if (allEnded) {
        killTimer_->stop();
        // Once the process's signal has returned: whoever is told may start the job again.
        QMetaObject::invokeMethod(this, &ImportJob::concludeConversion, Qt::QueuedConnection);
    }
}

void ImportJob::concludeConversion() {
    if (cancelled()) {
        removeStagedSlides();
        finish(JobResult::stopped());
        return;
    }
    slides_.imageCount = 0;
    for (const auto& run : converters_) {
        slides_.imageCount += run->imageCount.value_or(0);
    }
    if (!failed_ && !joinParts()) {
        fail(Failure::ConversionFailed);
    }
    if (!failed_ && rangeMissesTheDeck()) {
        // Taking in nothing would empty the wall: a range past the deck's end is refused.
        fail(Failure::NoSlideInRange, QString::number(slides_.imageCount));
    }
    if (failed_) {
        removeStagedSlides();
        finish(JobResult::failure(failureMessage_));
        return;
    }
    startIntake();
}

// Moves the slide files of parts 2, 3, ... beside those of part 1; they keep their slides'
// numbers, so that the intake finds the whole deck in order. Their thumbnails follow part 1's.
bool ImportJob::joinParts() {
    const WallFolder work(request_.workFolder);
    for (int part = 2; part <= int(converters_.size()); ++part) {
        const int before = static_cast<int>(listJpegs(work.conversionStaging()).size());
        if (!appendThumbnails(work.stagedThumbnails(part), work.stagedThumbnails(), before)) {
            return false;
        }
        const QDir folder(work.conversionStaging(part));
        for (const QString& name : folder.entryList(QDir::Files)) {
            if (!QFile::rename(folder.filePath(name), work.conversionStaging() + name)) {
                return false;
            }
        }
        removeTree(work.conversionStaging(part));
    }
    return true;
}

// What a failed or stopped converter exported stays out of the wall: nothing is left behind.
void ImportJob::removeStagedSlides() {
    const WallFolder work(request_.workFolder);
    for (int part = 1; part <= qMax<int>(2, int(converters_.size())); ++part) {
        removeTree(work.conversionStaging(part));
    }
}

bool ImportJob::rangeMissesTheDeck() const {
    if (slides_.allPages) {
        return false;
    }
    for (const QString& entry : slides_.chooesPage) {
        const int page = pageValue(entry);
        if (page >= 1 && page <= slides_.imageCount) {
            return false;
        }
    }
    return true;
}

void ImportJob::startIntake() {
    stage_ = Stage::TakingIn;
    emit converted();
    slides_.firstIndex = 0;
    IntakeRequest request;
    request.workFolder = request_.workFolder;
    request.allPages = slides_.allPages;
    request.imageCount = slides_.imageCount;
    request.firstIndex = 0;
    request.lastIndex = slides_.imageCount;
    request.chooesPage = slides_.chooesPage;
    request.chooesPageNum = slides_.chooesPageNum;
    request.thumbnailsMade = converters_.size() > 1;
    request.cancelled = &intakeCancelled_;

    auto result = std::make_shared<IntakeResult>();
    intake_ = QThread::create([this, request, result] {
        *result = runImageIntake(request, [this](int done, int total) {
            report(done, total, QStringLiteral("Preparing slide %1 of %2...").arg(done).arg(total));
        });
    });
    connect(intake_, &QThread::finished, this, [this, result] { finishIntake(*result); });
    intake_->start();
}

void ImportJob::finishIntake(const IntakeResult& result) {
    intake_->deleteLater();
    intake_ = nullptr;
    if (result.cancelled) {
        finish(JobResult::stopped());
        return;
    }
    slides_.pixSize = result.pixSize;
    finish(JobResult::done());
}
