#include "import/import_job.h"
#include "wall/wall_folder.h"

#include "import/import_checks.h"
#include "import/page_range.h"
#include "platform/lantrel/result_codes.h"
#include "platform/office/warm_office.h"
#include "wall/folders.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

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
    connect(killTimer_, &QTimer::timeout, &converter_, &QProcess::kill);
    connect(&converter_, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &ImportJob::converterFinished);
    connect(&converter_, &QProcess::readyReadStandardOutput, this, &ImportJob::readProcess);
    connect(&converter_, &QProcess::errorOccurred, this, &ImportJob::onProcessError);
    endWithThisProcess(converter_);
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
    if (converter_.state() != QProcess::NotRunning) {
        converter_.disconnect(this);
        converter_.kill();
        converter_.waitForFinished(kStopGraceMs);
    }
    if (intake_) {
        intake_->wait();
    }
}

void ImportJob::begin() {
    stage_ = Stage::Converting;
    failed_ = false;
    resultRead_ = false;
    failureMessage_.clear();
    slides_ = ImportedSlides();
    slides_.allPages = request_.allPages;
    slides_.chooesPage = request_.chooesPage;
    slides_.chooesPageNum = static_cast<int>(request_.chooesPage.size());

    // Slides of an earlier, interrupted run must not mix with the new ones.
    removeTree(WallFolder(request_.workFolder).conversionStaging());
    reader_ = ConverterOutputReader();
    const QStringList arguments = converterArguments(request_.presentation, request_.workFolder);
    qDebug() << "cmd" << request_.converter << arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (warm_) {
        warm_->addTo(environment);
    }
    converter_.setProcessEnvironment(environment);
    converter_.start(request_.converter, arguments, QIODevice::ReadWrite);
}

void ImportJob::stop() {
    if (intake_) {
        intakeCancelled_ = true; // the intake stops before the slides replace the wall's
        return;
    }
    if (converter_.state() != QProcess::NotRunning) {
        // A polite stop first, so the converter can end its office instance; then a hard one.
        converter_.terminate();
        killTimer_->start(stopGraceMs_);
    }
}

void ImportJob::readProcess() {
    apply(reader_.read(converter_.readAllStandardOutput()));
}

void ImportJob::apply(const ConverterOutputReader::Reading& reading) {
    if (cancelled() || failed_) {
        return; // what a stopped or failed run still prints changes nothing
    }
    if (reading.percent) {
        report(static_cast<qint64>(*reading.percent * 10), 1000, progressCaption(*reading.percent));
    }
    if (reading.imageCount) {
        resultRead_ = true;
        slides_.imageCount = *reading.imageCount;
        if (slides_.imageCount < 1) {
            fail(failureFor(slides_.imageCount));
        }
    }
}

// The first failure is the one the user is told of; the job ends once the converter has.
void ImportJob::fail(Failure failure, const QString& detail) {
    failed_ = true;
    failure_ = failure;
    failureMessage_ = failureText(failure, request_.presentation, detail);
}

void ImportJob::converterFinished(int code, QProcess::ExitStatus status) {
    qDebug() << "converterFinished" << code << status;
    killTimer_->stop();
    apply(reader_.finish());
    if (cancelled()) {
        removeStagedSlides();
        finish(JobResult::stopped());
        return;
    }
    if (!failed_ && !resultRead_) {
        // The converter ended without a result line (its watchdog's time-out, a crash): its exit
        // code still tells why, unless it crashed. The wall stays as it is.
        fail(status == QProcess::NormalExit ? failureFor(code) : Failure::ConversionFailed);
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

void ImportJob::onProcessError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) {
        return; // a crash or a kill ends in converterFinished
    }
    fail(Failure::CannotStart, QStringLiteral("Can NOT start \"%1\": %2")
                                   .arg(converter_.program(), converter_.errorString()));
    finish(JobResult::failure(failureMessage_));
}

// What a failed or stopped converter exported stays out of the wall: nothing is left behind.
void ImportJob::removeStagedSlides() {
    removeTree(WallFolder(request_.workFolder).conversionStaging());
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
    slides_.firstIndex = 0;
    IntakeRequest request;
    request.workFolder = request_.workFolder;
    request.allPages = slides_.allPages;
    request.imageCount = slides_.imageCount;
    request.firstIndex = 0;
    request.lastIndex = slides_.imageCount;
    request.chooesPage = slides_.chooesPage;
    request.chooesPageNum = slides_.chooesPageNum;
    intakeCancelled_ = false;
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
