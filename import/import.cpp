#include "import/import.h"

#include "ui_import.h"

#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/window_chrome.h"
#include "import/import_checks.h"
#include "platform/office/office_pool.h"
#include "wall/folders.h"
#include "wall/remembered_values.h"

#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QUrl>

namespace {

const char* const kAllPages = "allPage";
const char* const kCustomRange = "customRange";
const int kMaskRadius = 8;
const int kRollPeriodMs = 10;

} // namespace

Import::Import(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui(std::make_unique<Ui::Import>()) {
    ui->setupUi(this);
    setUpFrame({kMaskRadius, ui->label_title, QRect(375, 0, 20, 20), true});
    setWindowFlag(Qt::SubWindow);

    ui->lineEdit_customRange->setEnabled(false);
    buildChrome();

    connect(&job_, &Job::progress, this, &Import::showProgress);
    connect(&job_, &Job::finished, this, &Import::showOutcome);
    connect(&pdfJob_, &Job::progress, this, &Import::showProgress);
    connect(&pdfJob_, &Job::finished, this, &Import::endPdfImport);

    barWidth_ = ui->label_ratBar->width();
    buildMessageBox();
}

Import::~Import() = default;

void Import::buildChrome() {
    ui->label_bg->setPixmap(QPixmap(chrome::skinPath("Aboutbg.png")));
    ui->label_icon->setPixmap(QPixmap(chrome::skinPath("icon.png")));
    ui->label_ratBar->setPixmap(QPixmap(chrome::skinPath("ratBar.png")));
    ui->label_ratBar->hide();
    ui->label_ratInfo->hide();

    importButton_ =
        addButton("Import_OK.png", QRect(250, 200, 60, 25), tr("Import the presentation"));
    cancelButton_ = addButton("cancel.png", QRect(318, 200, 60, 25), tr("Cancel"));
    openButton_ = addButton("openwith.png", QRect(345, 45, 25, 25),
                            tr("Open the presentation in its office program"));
    browseButton_ = addButton("browse.png", QRect(315, 45, 25, 25), tr("Choose a presentation"));
    connect(importButton_, &myLabel::labelClick, this, &Import::on_import_click);
    setMainButton(importButton_);
    connect(cancelButton_, &myLabel::labelClick, this, &Import::on_cancel_click);
    connect(openButton_, &myLabel::labelClick, this, &Import::on_open_click);
    connect(browseButton_, &myLabel::labelClick, this, &Import::on_browse_click);
}

void Import::buildMessageBox() {
    messageBox_ = new MymessgeBox(this);
    messageBox_->setObjectName(QStringLiteral("importMessage"));
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

void Import::setSource(const QString& deck) {
    ui->lineEdit_srcFile->setText(deck);
}

bool Import::isAllPages() const {
    return ui->radioButton_allPages->isChecked();
}

void Import::setCustomMode(bool custom) {
    ui->lineEdit_customRange->setEnabled(custom);
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

// Browse starts where the last deck was, or in the home folder.
QString Import::browseFolder() const {
    const QString deck = ui->lineEdit_srcFile->text().trimmed();
    const QString folder = deck.isEmpty() ? QString() : QFileInfo(deck).absolutePath();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void Import::on_browse_click() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Choose a Presentation"), browseFolder(),
        tr("Presentations and PDF files (*.ppt *.pptx *.pps *.ppsx *.odp *.pdf)"));
    if (!path.isEmpty()) {
        ui->lineEdit_srcFile->setText(path);
    }
}

void Import::on_open_click() {
    const QString path = ui->lineEdit_srcFile->text();
    if (!path.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
}

bool Import::accepts(const QString& problem) {
    if (!problem.isEmpty()) {
        showMessage(problem);
    }
    return problem.isEmpty();
}

void Import::showMessage(const QString& text) {
    messageBox_->setIcon(chrome::skinPath("warning.png"), 10, 20, 51, 51);
    messageBox_->setOkImage(chrome::skinPath("OK.png"), 130, 80, 50, 20);
    messageBox_->setText(text, 70, 14, 361, 62);
    messageBox_->move(x() + (width() - messageBox_->width()) / 2,
                      y() + (fullHeight() - messageBox_->height()) / 2);
    messageBox_->show();
}

void Import::on_import_click() {
    qDebug() << "on_import_click";
    if (isBusy()) {
        return;
    }
    slides_ = ImportedSlides();
    importButton_->setActive(true);

    const QString source = ui->lineEdit_srcFile->text().trimmed();
    const QString converterPath = converterProgram();
    if ((!isPdfFile(source) && !accepts(converterProblem(converterPath))) ||
        !accepts(sourceProblem(source)) ||
        (ui->radioButton_customRange->isChecked() &&
         !accepts(rangeProblem(ui->lineEdit_customRange->text(), chooesPage_)))) {
        return;
    }

    ui->label_ratBar->resize(0, 10);
    ui->label_ratBar->show();
    ui->label_ratInfo->setText(QStringLiteral("processing, please wait..."));
    ui->label_ratInfo->show();

    importButton_->setActive(false);
    if (isPdfFile(source)) {
        startPdfImport({});
    } else {
        lendOffices(source);
        job_.setRequest({converterPath, source, workFolder_, isAllPages(),
                         isAllPages() ? QStringList() : chooesPage_});
        job_.start();
    }
    rememberInputs();
}

// A warm instance for the import, and a second one for a deck worth splitting when the pool has
// one free.
void Import::lendOffices(const QString& deck) {
    const WarmOffice* first = pool_ ? pool_->lend() : nullptr;
    const WarmOffice* second = first && ImportJob::worthSplitting(deck) ? pool_->lend() : nullptr;
    for (const WarmOffice* office : {first, second}) {
        if (office) {
            lent_.push_back(office);
        }
    }
    job_.setWarmOffice(first);
    job_.setSecondOffice(second);
}

void Import::startPdfImport(const QByteArray& password) {
    pdfJob_.setRequest({ui->lineEdit_srcFile->text().trimmed(), workFolder_, isAllPages(),
                        isAllPages() ? QStringList() : chooesPage_, password});
    pdfJob_.start();
}

void Import::endPdfImport(const JobResult& result) {
    const PdfDocument::Problem problem = pdfJob_.problem();
    if (!result.ok() &&
        (problem == PdfDocument::Problem::NeedsPassword ||
         problem == PdfDocument::Problem::WrongPassword) &&
        askPdfPassword(result.message)) {
        return;
    }
    if (result.ok()) {
        takeSlides(pdfJob_.slides());
    } else if (result.code == JobResult::Failed) {
        showMessage(result.message);
    }
    resetRunState();
}

// True when the user gave a password and the import started again with it.
bool Import::askPdfPassword(const QString& why) {
    bool given = false;
    const QString password =
        QInputDialog::getText(this, tr("PDF Password"), why + QLatin1Char('\n') + tr("Password:"),
                              QLineEdit::Password, QString(), &given);
    if (!given) {
        return false;
    }
    startPdfImport(password.toUtf8());
    return true;
}

void Import::rememberInputs() {
    RememberedValues& values = RememberedValues::shared();
    values.setValue(SlotImportSource, ui->lineEdit_srcFile->text());
    values.setValue(SlotImportRange, ui->lineEdit_customRange->text());
    values.save(homeFile_);
}

// The converter's percentage or the slides taken in so far, with the job's caption.
void Import::showProgress(qint64 done, qint64 total, const QString& text) {
    if (total > 0) {
        ui->label_ratBar->resize(static_cast<int>(barWidth_ * done / total), 10);
    }
    ui->label_ratInfo->setText(text);
}

void Import::showOutcome(const JobResult& result) {
    const bool broken = result.code == JobResult::Failed && !failureLiesInTheDeck(job_.failure());
    for (const WarmOffice* office : lent_) {
        pool_->giveBack(office, broken);
    }
    lent_.clear();
    if (result.ok()) {
        takeSlides(job_.slides());
    } else if (result.code == JobResult::Failed) {
        showMessage(result.message);
    }
    resetRunState();
}

void Import::takeSlides(const ImportedSlides& slides) {
    slides_ = slides;
    emit saveImageOK(slides);
    on_close_click();
}

void Import::resetRunState() {
    importButton_->setActive(true);
    cancelButton_->setActive(true);
    ui->label_ratInfo->hide();
    ui->label_ratBar->hide();
}

void Import::on_cancel_click() {
    job_.cancel();
    pdfJob_.cancel();
    cancelButton_->setActive(true);
    ui->label_ratBar->resize(0, 10);
    ui->label_ratInfo->hide();
    startClosing();
    emit importClose();
}
