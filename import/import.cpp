#include "import/import.h"

#include "ui_import.h"

#include "app/mylabel.h"
#include "app/mymessgebox.h"
#include "app/window_chrome.h"
#include "import/page_range.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace {

const char* const kAllPages = "allPage";
const char* const kCustomRange = "customRange";
const int kMaskRadius = 8;
const int kRollPeriodMs = 10;

const char* const kConversionFailed =
    "Sorry, something is wrong during PowerPoint to Murano conversion, perhaps because of this "
    "PowerPoint file is corrupted or version compatibility issues, please by following steps to "
    "try again,\n\n 1. Open this PPT document in MS PowerPoint application, press CTRL+A, CTRL+C "
    "to select and copy all slides,\n 2. Create a new blank PowerPoint document, press CTRL+V to "
    "paste all slides into this blank PowerPoint document\n 3. Save to a new PowerPoint "
    "document\n 4. Restart our software and import new PowerPoint document to try again.";

} // namespace

Import::Import(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui(std::make_unique<Ui::Import>()) {
    ui->setupUi(this);
    setUpFrame({kMaskRadius, ui->label_title, QRect(375, 0, 20, 20), true});
    setWindowFlag(Qt::SubWindow);

    ui->lineEdit_customRange->setEnabled(false);
    ui->label->setEnabled(false);
    buildChrome();

    connect(&converter_, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus) { pptToImageFinished(code); });
    connect(&converter_, &QProcess::readyReadStandardOutput, this, &Import::readProcess);
    connect(&converter_, &QProcess::errorOccurred, this, &Import::onProcessError);

    barWidth_ = ui->label_ratBar->width();
    applicationFolder_ = applicationFolder();
    buildMessageBox();
}

Import::~Import() {
    if (converter_.state() != QProcess::NotRunning) {
        converter_.disconnect(this);
        converter_.kill();
        converter_.waitForFinished(3000);
    }
    if (intake_) {
        intake_->wait();
    }
}

void Import::buildChrome() {
    ui->label_bg->setPixmap(QPixmap(chrome::skinPath("Aboutbg.png")));
    ui->label_icon->setPixmap(QPixmap(chrome::skinPath("icon.png")));
    ui->label_ratBar->setPixmap(QPixmap(chrome::skinPath("ratBar.png")));
    ui->label_ratBar->hide();
    ui->label_ratInfo->hide();

    importButton_ = addButton("Import_OK.png", QRect(260, 200, 50, 25), "Import");
    cancelButton_ = addButton("cancel.png", QRect(320, 200, 50, 25), "Cancel");
    openButton_ = addButton("open.png", QRect(345, 45, 25, 25), "Open");
    browseButton_ = addButton("browse.png", QRect(315, 45, 25, 25), "Browse");
    connect(importButton_, &myLabel::labelClick, this, &Import::on_import_click);
    connect(cancelButton_, &myLabel::labelClick, this, &Import::on_cancel_click);
    connect(openButton_, &myLabel::labelClick, this, &Import::on_open_click);
    connect(browseButton_, &myLabel::labelClick, this, &Import::on_browse_click);
}

void Import::buildMessageBox() {
    messageBox_ = new MymessgeBox(this);
    messageBox_->setWindowFlags(messageBox_->windowFlags() | Qt::Window);
    messageBox_->setAttribute(Qt::WA_ShowModal);
    messageBox_->setTitle("Notice", 25, 0, 211, 16);
    messageBox_->setTitleIcon(chrome::skinPath("icon.ico"), 2, 1, 15, 15);
}

void Import::setFlashPath(const QString& homeFile) {
    homeFile_ = homeFile;
    workFolder_ = homeFile.left(homeFile.lastIndexOf(QLatin1Char('/'))) + QLatin1Char('/');
    qDebug() << "flashPath" << workFolder_;
    RememberedValues& values = RememberedValues::shared();
    values.load(homeFile);
    ui->lineEdit_srcFile->setText(values.value(SlotImportSource));
    ui->lineEdit_customRange->setText(values.value(SlotImportRange));
    if (values.value(SlotImportMode) == QLatin1String(kCustomRange)) {
        ui->radioButton_customRange->setChecked(true);
        setCustomMode(true);
    }
}

bool Import::isAllPages() const {
    return ui->radioButton_allPages->isChecked();
}

bool Import::isBusy() const {
    return converter_.state() != QProcess::NotRunning || intake_;
}

void Import::setCustomMode(bool custom) {
    ui->lineEdit_customRange->setEnabled(custom);
    ui->label->setEnabled(custom);
    RememberedValues::shared().setValue(SlotImportMode,
                                        QLatin1String(custom ? kCustomRange : kAllPages));
}

void Import::on_radioButton_allPages_clicked(bool checked) {
    if (checked) {
        setCustomMode(false);
    }
}

void Import::on_radioButton_customRange_clicked(bool checked) {
    if (checked) {
        setCustomMode(true);
    }
}

void Import::on_close_click() {
    startClosing();
    emit importClose();
}

void Import::on_browse_click() {
    const QString path = QFileDialog::getOpenFileName(this, tr("Open Directory"), lastFolder_,
                                                      QStringLiteral("PPT (*.ppt *.pptx)"));
    if (path.isEmpty()) {
        return;
    }
    lastFolder_ = path.left(path.lastIndexOf(QLatin1Char('/')));
    sourcePath_ = path;
    ui->lineEdit_srcFile->setText(path);
}

void Import::on_open_click() {
    const QString path = ui->lineEdit_srcFile->text();
    if (!path.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

bool Import::acceptRange() {
    const int count = analysisImage(ui->lineEdit_customRange->text(), chooesPage_);
    if (count < 1) {
        showRangeMessage(QStringLiteral("Error, please input again"));
        return false;
    }
    if (count >= kTooManyPages) {
        showRangeMessage(QStringLiteral("Too many page, please input again"));
        return false;
    }
    return true;
}

void Import::showRangeMessage(const QString& text) {
    rangeError_ = true;
    messageBox_->setIcon(chrome::skinPath("warning.png"), 10, 20, 51, 51);
    messageBox_->setOkImage(chrome::skinPath("OK.png"), 130, 80, 50, 20);
    messageBox_->setText(text, 80, 20, 361, 51);
    messageBox_->move(x() + (width() - messageBox_->width()) / 2,
                      y() + (fullHeight() - messageBox_->height()) / 2);
    messageBox_->show();
}

void Import::on_import_click() {
    qDebug() << "on_import_click";
    if (isBusy()) {
        return;
    }
    rangeError_ = false;
    cancelled_ = false;
    resultRead_ = false;
    imageCount_ = 0;
    importButton_->setActive(true);

    const QString converterPath = applicationFolder_ + QStringLiteral("lantrel.dll");
    if (!QFileInfo(converterPath).isReadable()) {
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("Can NOT locate \"%1\" file, please reinstall this software to try "
                           "again.")
                .arg(converterPath));
        return;
    }
    if (ui->radioButton_customRange->isChecked() && !acceptRange()) {
        return;
    }

    ui->label_ratBar->resize(0, 10);
    ui->label_ratBar->show();
    ui->label_ratInfo->setText(QStringLiteral("processing, please wait..."));
    ui->label_ratInfo->show();

    // Slides of an earlier, interrupted run must not mix with the new ones.
    removeTree(workFolder_ + QStringLiteral(".laq"));
    reader_ = ConverterOutputReader();
    const QStringList arguments = converterArguments(ui->lineEdit_srcFile->text(), workFolder_);
    qDebug() << "cmd" << converterPath << arguments;
    converter_.start(converterPath, arguments, QIODevice::ReadWrite);
    importButton_->setActive(false);
    rememberInputs();
}

void Import::rememberInputs() {
    RememberedValues& values = RememberedValues::shared();
    values.setValue(SlotImportSource, ui->lineEdit_srcFile->text());
    values.setValue(SlotImportRange, ui->lineEdit_customRange->text());
    values.save(homeFile_);
}

void Import::readProcess() {
    applyReading(reader_.read(converter_.readAllStandardOutput()));
}

void Import::applyReading(const ConverterOutputReader::Reading& reading) {
    if (cancelled_) {
        return; // what a cancelled or failed run still prints changes nothing
    }
    if (reading.percent) {
        showProgress(*reading.percent);
    }
    if (reading.imageCount) {
        resultRead_ = true;
        imageCount_ = *reading.imageCount;
        if (imageCount_ < 1) {
            cancelled_ = true;
            QMessageBox::critical(this, windowTitle(), QString::fromLatin1(kConversionFailed));
        }
    }
}

void Import::showProgress(double percent) {
    ui->label_ratBar->resize(progressWidth(percent, barWidth_), 10);
    ui->label_ratInfo->setText(progressCaption(percent));
}

void Import::pptToImageFinished(int code) {
    qDebug() << "pptToImageFinished" << code;
    applyReading(reader_.finish());
    if (!cancelled_ && !resultRead_) {
        // The converter ended without a result line (killed, crashed): the wall stays as it is.
        cancelled_ = true;
        QMessageBox::critical(this, windowTitle(), QString::fromLatin1(kConversionFailed));
    }
    if (cancelled_) {
        resetRunState();
        return;
    }
    firstIndex_ = 0;
    lastIndex_ = imageCount_;
    startIntake();
}

void Import::startIntake() {
    IntakeRequest request;
    request.workFolder = workFolder_;
    request.allPages = isAllPages();
    request.imageCount = imageCount_;
    request.firstIndex = firstIndex_;
    request.lastIndex = lastIndex_;
    request.chooesPage = chooesPage_;
    request.chooesPageNum = chooesPageNum();
    cancelButton_->setActive(false);

    auto result = std::make_shared<IntakeResult>();
    intake_ = QThread::create([this, request, result] {
        *result = runImageIntake(request, [this](int done, int total) {
            QMetaObject::invokeMethod(
                this, [this, done, total] { showIntakeProgress(done, total); },
                Qt::QueuedConnection);
        });
    });
    connect(intake_, &QThread::finished, this, [this, result] { finishIntake(*result); });
    intake_->start();
}

void Import::showIntakeProgress(int done, int total) {
    if (total > 0) {
        ui->label_ratBar->resize(barWidth_ * done / total, 10);
    }
    ui->label_ratInfo->setText(QStringLiteral("Preparing slide %1 of %2...").arg(done).arg(total));
}

void Import::finishIntake(const IntakeResult& result) {
    intake_->deleteLater();
    intake_ = nullptr;
    pixSize_ = result.pixSize;
    emit saveImageOK(
        {isAllPages(), imageCount_, firstIndex_, chooesPage_, chooesPageNum(), pixSize_});
    on_close_click();
    resetRunState();
}

void Import::resetRunState() {
    importButton_->setActive(true);
    cancelButton_->setActive(true);
    ui->label_ratInfo->hide();
    ui->label_ratBar->hide();
}

void Import::on_cancel_click() {
    if (intake_) {
        return; // the slides are being taken into the wall; that finishes on its own
    }
    cancelled_ = true;
    cancelButton_->setActive(true);
    if (converter_.state() != QProcess::NotRunning) {
        // A polite stop first, so the converter can end its office instance; then a hard one.
        converter_.terminate();
        if (!converter_.waitForFinished(3000)) {
            converter_.kill();
            converter_.waitForFinished(30000);
        }
    }
    ui->label_ratBar->resize(0, 10);
    ui->label_ratInfo->hide();
    startClosing();
    emit importClose();
}

void Import::onProcessError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) {
        return; // a crash or a kill ends in pptToImageFinished
    }
    QMessageBox::critical(this, windowTitle(),
                          QStringLiteral("Can NOT start \"%1\": %2")
                              .arg(converter_.program(), converter_.errorString()));
    resetRunState();
}
