#include "import/import_job.h"

#include "wall/folders.h"

#include <QDebug>
#include <QThread>
#include <QTimer>

#include <memory>

ImportJob::ImportJob(QObject* parent) : QObject(parent), killTimer_(new QTimer(this)) {
    killTimer_->setSingleShot(true);
    connect(killTimer_, &QTimer::timeout, &converter_, &QProcess::kill);
    connect(&converter_, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus) { pptToImageFinished(code); });
    connect(&converter_, &QProcess::readyReadStandardOutput, this, &ImportJob::readProcess);
    connect(&converter_, &QProcess::errorOccurred, this, &ImportJob::onProcessError);
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
    removeTree(request.workFolder + QStringLiteral(".laq"));
    reader_ = ConverterOutputReader();
    const QStringList arguments = converterArguments(request.presentation, request.workFolder);
    qDebug() << "cmd" << request.converter << arguments;
    converter_.start(request.converter, arguments, QIODevice::ReadWrite);
    return true;
}

bool ImportJob::cancel() {
    if (!running_ || intake_) {
        return false;
    }
    cancelled_ = true;
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
            fail(Failure::ConversionFailed, QString());
        }
    }
}

void ImportJob::fail(Failure failure, const QString& detail) {
    failed_ = true;
    emit failed(failure, detail);
}

void ImportJob::pptToImageFinished(int code) {
    qDebug() << "pptToImageFinished" << code;
    killTimer_->stop();
    apply(reader_.finish());
    if (cancelled_) {
        emit stopped();
        end();
        return;
    }
    if (!failed_ && !resultRead_) {
        // The converter ended without a result line (killed, crashed): the wall stays as it is.
        fail(Failure::ConversionFailed, QString());
    }
    if (failed_) {
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
    slides_.pixSize = result.pixSize;
    running_ = false;
    emit finished(slides_);
    emit ended();
}

void ImportJob::end() {
    running_ = false;
    emit ended();
}
