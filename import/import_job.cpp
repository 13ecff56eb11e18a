#include "import/import_job.h"
#include "wall/wall_folder.h"

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

ImportJob::ImportJob(QObject* parent) : QObject(parent), killTimer_(new QTimer(this)) {
    killTimer_->setSingleShot(true);
    connect(killTimer_, &QTimer::timeout, &converter_, &QProcess::kill);
    connect(&converter_, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            &ImportJob::pptToImageFinished);
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

bool ImportJob::isBusy() const {
    return running_;
}

bool ImportJob::start(const ImportRequest& request) {
    if (running_) {
        return false;
    }
    request_ = request;
    running_ = true;
    cancelled_ = false;
    failed_ = false;
    resultRead_ = false;
    slides_ = ImportedSlides();
    slides_.allPages = request.allPages;
    slides_.chooesPage = request.chooesPage;
    slides_.chooesPageNum = static_cast<int>(request.chooesPage.size());

    // Slides of an earlier, interrupted run must not mix with the new ones.
    removeTree(WallFolder(request.workFolder).conversionStaging());
    reader_ = ConverterOutputReader();
    const QStringList arguments = converterArguments(request.presentation, request.workFolder);
    qDebug() << "cmd" << request.converter << arguments;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (warm_) {
        warm_->addTo(environment);
    }
    converter_.setProcessEnvironment(environment);
    converter_.start(request.converter, arguments, QIODevice::ReadWrite);
    return true;
}

bool ImportJob::cancel() {
    if (!running_ || cancelled_) {
        return false;
    }
    cancelled_ = true;
    if (intake_) {
        intakeCancelled_ = true; // the intake stops before the slides replace the wall's
        return true;
    }
    if (converter_.state() != QProcess::NotRunning) {
        // A polite stop first, so the converter can end its office instance; then a hard one.
        converter_.terminate();
        killTimer_->start(stopGraceMs_);
    }
    return true;
}

void ImportJob::readProcess() {
    apply(reader_.read(converter_.readAllStandardOutput()));
}

void ImportJob::apply(const ConverterOutputReader::Reading& reading) {
    if (cancelled_ || failed_) {
        return; // what a stopped or failed run still prints changes nothing
    }
    if (reading.percent) {
        emit progress(*reading.percent);
    }
    if (reading.imageCount) {
        resultRead_ = true;
        slides_.imageCount = *reading.imageCount;
        if (slides_.imageCount < 1) {
            fail(failureFor(slides_.imageCount), QString());
        }
    }
}

void ImportJob::fail(Failure failure, const QString& detail) {
    failed_ = true;
    emit failed(failure, detail);
}

void ImportJob::pptToImageFinished(int code, QProcess::ExitStatus status) {
    qDebug() << "pptToImageFinished" << code << status;
    killTimer_->stop();
    apply(reader_.finish());
    if (cancelled_) {
        removeStagedSlides();
        emit stopped();
        end();
        return;
    }
    if (!failed_ && !resultRead_) {
        // The converter ended without a result line (its watchdog's time-out, a crash): its exit
        // code still tells why, unless it crashed. The wall stays as it is.
        fail(status == QProcess::NormalExit ? failureFor(code) : Failure::ConversionFailed,
             QString());
    }
    if (!failed_ && rangeMissesTheDeck()) {
        // Taking in nothing would empty the wall: a range past the deck's end is refused.
        fail(Failure::NoSlideInRange, QString::number(slides_.imageCount));
    }
    if (failed_) {
        removeStagedSlides();
        end();
        return;
    }
    startIntake();
}

void ImportJob::onProcessError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) {
        return; // a crash or a kill ends in pptToImageFinished
    }
    fail(Failure::CannotStart, QStringLiteral("Can NOT start \"%1\": %2")
                                   .arg(converter_.program(), converter_.errorString()));
    end();
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
            QMetaObject::invokeMethod(
                this, [this, done, total] { emit intakeProgress(done, total); },
                Qt::QueuedConnection);
        });
    });
    connect(intake_, &QThread::finished, this, [this, result] { finishIntake(*result); });
    intake_->start();
}

void ImportJob::finishIntake(const IntakeResult& result) {
    intake_->deleteLater();
    intake_ = nullptr;
    if (result.cancelled) {
        emit stopped();
        end();
        return;
    }
    slides_.pixSize = result.pixSize;
    running_ = false;
    emit finished(slides_);
    emit ended();
}

void ImportJob::end() {
    running_ = false;
    emit ended();
}
