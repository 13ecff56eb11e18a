#include "publish/publish.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/window_chrome.h"
#include "publish/advanced.h"
#include "publish/exe_output.h"
#include "ui_publish.h"
#include "wall/deck_words.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"
#include "wall/wall_folder.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <utility>

namespace {

// Qt style sheets take the alpha of rgba() from 0 to 255: 50 and 20 are light tints. A button
// reached with Tab shows a ring.
const QString kFocusRule =
    QStringLiteral("QToolButton:focus{border: 2px solid rgb(20, 90, 200); border-radius: 4px;}");
const QString kSelectedStyle =
    QStringLiteral("QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);"
                   "background-color:rgba(255,100,100,50);} "
                   "QToolButton:hover{background-color:rgba(255,100,100,20);color: rgb(0, 0, 0);}"
                   "QToolButton:hover:pressed{background-color:rgba(255,100,100,20);}") +
    kFocusRule;
const QString kNormalStyle =
    QStringLiteral("QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);} "
                   "QToolButton:hover{background-color:rgba(255,100,100,20);color: rgb(0, 0, 0);}"
                   "QToolButton:hover:pressed{background-color:rgba(255,100,100,20);}") +
    kFocusRule;

bool askYesNo(QWidget* parent, const QString& text) {
    return QMessageBox::question(parent, QObject::tr("Question"), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

Publish::Publish(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui_(std::make_unique<Ui::Publish>()),
      panelTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    // The caption "label" styles itself: a rule for that name would reach Advanced's own "label".
    dressDialog(this, ui_->label_bg, ui_->label_icon, nullptr, QStringLiteral("Aboutbg.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(490, 0, 25, 25)});
    advanced_ = new Advanced(this);
    panelFullWidth_ = width();
    panelWidth_ = panelFullWidth_;
    panelTimer_->setInterval(kPanelPeriodMs);
    connect(ui_->checkBox_speakerNotes, &QCheckBox::toggled, this, &Publish::storeNotesChoice);
    connect(panelTimer_, &QTimer::timeout, this, &Publish::showPublishSlot);
    buildChrome();
    styleToolButtons();
    applyModeTexts();
}

Publish::~Publish() = default;

void Publish::buildChrome() {
    convert_ = addButton(QStringLiteral("convert.png"), QRect(358, 230, 72, 30), tr("Convert"));
    connect(convert_, &myLabel::labelClick, this, &Publish::on_convert_click);
    setMainButton(convert_);
    cancel_ = addButton(QStringLiteral("cancel.png"), QRect(440, 230, 60, 30), tr("Cancel"));
    connect(cancel_, &myLabel::labelClick, this, &Publish::on_close_click);

    browse_ = chrome::addImageButton(ui_->widget, QStringLiteral("browse.png"),
                                     QRect(340, 25, 30, 30), tr("Browse"));
    connect(browse_, &myLabel::labelClick, this, &Publish::on_browse_click);
    open_ = chrome::addImageButton(ui_->widget, QStringLiteral("open.png"), QRect(380, 26, 30, 30),
                                   tr("Open"));
    connect(open_, &myLabel::labelClick, this, &Publish::on_open_click);
    const QRect title = ui_->label_Title->geometry();
    advancedLabel_ = chrome::addImageButton(
        ui_->widget, QStringLiteral("advanced.png"),
        QRect(title.x() + title.width() + 10, title.y() - 7, 30, 30), tr("HTML Meta Settings"));
    connect(advancedLabel_, &myLabel::labelClick, this, &Publish::on_advanced_click);

    ui_->toolButton_html->setIcon(QIcon(chrome::skinPath(QStringLiteral("html.png"))));
    ui_->toolButton_zip->setIcon(QIcon(chrome::skinPath(QStringLiteral("zip.png"))));
    ui_->toolButton_exe->setIcon(QIcon(chrome::skinPath(QStringLiteral("exe.png"))));
    connect(ui_->toolButton_html, &QToolButton::clicked, this, &Publish::on_html_click);
    connect(ui_->toolButton_zip, &QToolButton::clicked, this, &Publish::on_zip_click);
    connect(ui_->toolButton_exe, &QToolButton::clicked, this, &Publish::on_exe_click);
    connect(ui_->toolButton_embed, &QToolButton::clicked, this, [this] {
        QGuiApplication::clipboard()->setText(embeddingSnippet(bookOptions()));
        ui_->toolButton_embed->setText(tr("Embedding code copied"));
    });

    messageBox_ = new MymessgeBox(this);
    messageBox_->setTitle(tr("Notice"), 25, 0, 211, 16);
    messageBox_->setTitleIcon(chrome::skinPath(QStringLiteral("icon.ico")), 2, 1, 15, 15);
    connect(messageBox_, &MymessgeBox::okSignal, this, &Publish::okSlot);
}

void Publish::loadSettings(const QString& path) {
    settingsPath_ = path;
    RememberedValues::shared().load(path);
    ui_->lineEdit_outPutFolder->setText(RememberedValues::shared().value(SlotOutputFolder));
    ui_->lineEdit_fileName->setText(rememberedBook(RememberedValues::shared()).pageName);
    advanced_->readAdvanceSetting(path);
    workFolder_ = workFolder();
    showNotesChoice();
}

void Publish::showEvent(QShowEvent* event) {
    FramelessDialog::showEvent(event);
    showNotesChoice();
}

void Publish::showNotesChoice() {
    const std::optional<DeckWords> words = readWallWords(WallFolder(workFolder_));
    const QSignalBlocker quiet(ui_->checkBox_speakerNotes);
    ui_->checkBox_speakerNotes->setChecked(words && words->notesPublished);
    ui_->checkBox_speakerNotes->setEnabled(words.has_value());
}

void Publish::storeNotesChoice(bool published) {
    QString error;
    if (!setNotesPublished(WallFolder(workFolder_), published, error)) {
        showWarning(error);
        showNotesChoice();
    }
}

BookOptions Publish::bookOptions() const {
    return {ui_->lineEdit_fileName->text(), advanced_->htmlMeta(),
            exeLayout_ ? BookLayout::Executable : BookLayout::Web};
}

JobResult Publish::makeZip(const QString& archivePath, const QString& stagingFolder,
                           const ZipProgress& progress) const {
    return ::makeZip(archivePath, stagingFolder, WallFolder(workFolder_), bookOptions(), progress);
}

void Publish::on_close_click() {
    startClosing();
    emit publishClose();
}

void Publish::on_html_click() {
    selectMode(PublishMode::Html);
}

void Publish::on_zip_click() {
    selectMode(PublishMode::Zip);
}

void Publish::on_exe_click() {
    selectMode(PublishMode::Exe);
}

void Publish::selectMode(PublishMode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    styleToolButtons();
    panelCollapsing_ = true;
    panelTimer_->start();
}

// The selected output's button is marked (and stays enabled, so that its picture keeps its
// colours: a greyed picture would read as an output one cannot choose); the others are plain.
void Publish::styleToolButtons() {
    const std::pair<QToolButton*, PublishMode> buttons[] = {
        {ui_->toolButton_html, PublishMode::Html},
        {ui_->toolButton_zip, PublishMode::Zip},
        {ui_->toolButton_exe, PublishMode::Exe}};
    for (const auto& [button, itsMode] : buttons) {
        button->setStyleSheet(itsMode == mode_ ? kSelectedStyle : kNormalStyle);
        button->setCheckable(true);
        button->setChecked(itsMode == mode_);
        button->setEnabled(true);
    }
}

void Publish::showPublishSlot() {
    if (panelCollapsing_) {
        if (panelWidth_ < 1) {
            applyModeTexts();
            panelCollapsing_ = false;
        } else {
            panelWidth_ -= kPanelStepPx;
            ui_->widget->resize(std::max(panelWidth_, 0), ui_->widget->height());
        }
        return;
    }
    if (panelWidth_ >= panelFullWidth_) {
        panelTimer_->stop();
        return;
    }
    panelWidth_ += kPanelStepPx;
    ui_->widget->resize(panelWidth_, ui_->widget->height());
}

void Publish::applyModeTexts() {
    ui_->label_back->setText(outputExtension(mode_));
    const bool exe = mode_ == PublishMode::Exe;
    ui_->label_Title->setText(exe ? tr("Caption") : tr("Set HTML Meta Options:"));
    ui_->label_Title->setVisible(!exe);
    advancedLabel_->setVisible(!exe);
    ui_->toolButton_embed->setVisible(mode_ == PublishMode::Html);
    ui_->toolButton_embed->setText(tr("Copy embedding code"));
}

void Publish::on_browse_click() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, tr("Open Directory"), lastBrowseFolder_,
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (!folder.isEmpty()) {
        lastBrowseFolder_ = folder;
        ui_->lineEdit_outPutFolder->setText(folder);
    }
}

void Publish::on_open_click() {
    openFolder(ui_->lineEdit_outPutFolder->text());
}

void Publish::openFolder(const QString& folder) {
    if (!folder.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

void Publish::on_advanced_click() {
    advanced_->selectPage(true);
    advanced_->showDialog();
    advanced_->move(x() + (width() - advanced_->width()) / 2,
                    y() + (height() - advanced_->height()) / 2);
}

void Publish::okSlot() {
    if (const std::function<void()> action = std::exchange(onOk_, nullptr)) {
        action();
    }
}

void Publish::on_convert_click() {
    qDebug() << "on_convert_click";
    exeLayout_ = false;
    const QString folder = ui_->lineEdit_outPutFolder->text();
    const QString name = ui_->lineEdit_fileName->text();
    if (folder.isEmpty()) {
        showWarning(tr("Output folder is empty."));
        return;
    }
    if (!QDir(folder).exists() && !createFolder(folder)) {
        return;
    }
    rememberOutput(folder, name);
    if (const QString problem = outputNameProblem(name, mode_); !problem.isEmpty()) {
        showWarning(problem);
        return;
    }
    const QString target = outputTarget(folder, name, mode_);
    const QStringList replaced = replacedByOutput(folder, name, mode_);
    if (!replaced.isEmpty() && !confirmOverwrite(replaced)) {
        return;
    }
    runOutput(mode_, folder, target);
}

// A folder that does not exist yet is made when the user agrees, as the command line makes it.
bool Publish::createFolder(const QString& folder) {
    if (!askYesNo(this, folder + tr(" does not exist. Do you want to create it?"))) {
        return false;
    }
    if (!QDir().mkpath(folder)) {
        showWarning(folder + tr(" cannot be created."));
        return false;
    }
    return true;
}

void Publish::showWarning(const QString& text) {
    onOk_ = nullptr;
    messageBox_->setTitle(tr("Warn"), 25, 0, 211, 16);
    messageBox_->setText(text, 80, 20, 361, 51);
    messageBox_->setIcon(chrome::skinPath(QStringLiteral("warning.png")), 10, 20, 51, 51);
    messageBox_->setOkImage(chrome::skinPath(QStringLiteral("ok.png")), 120, 85, 60, 25);
    messageBox_->show();
}

void Publish::rememberOutput(const QString& folder, const QString& name) {
    RememberedValues::shared().setValue(SlotOutputFolder, folder);
    RememberedValues::shared().setValue(SlotOutputName, name);
    if (!settingsPath_.isEmpty()) {
        RememberedValues::shared().save(settingsPath_);
    }
}

bool Publish::confirmOverwrite(const QStringList& replaced) {
    if (replaced.size() == 1) {
        return askYesNo(this, replaced.first() + tr(" exists, do you want to overwrite it?"));
    }
    return askYesNo(this, quotedPaths(replaced) + tr(" exist, do you want to overwrite them?"));
}

void Publish::runOutput(PublishMode mode, const QString& folder, const QString& target) {
    exeLayout_ = mode == PublishMode::Exe;
    const BookOptions book = bookOptions();
    const WallFolder wall(workFolder_);
    const auto output = [mode, wall, folder, book](const ZipProgress& progress) {
        return publishOutput(mode, wall, folder, book, progress);
    };
    switch (mode) {
    case PublishMode::Html:
    case PublishMode::Zip:
        runJob(output, [this, folder, target] { showFinished(folder, target); });
        return;
    case PublishMode::Exe:
        runJob(output, [this, target] {
            if (QMessageBox::information(this, tr("Open the exe file"),
                                         tr("Open the file \"") + target + "\"?",
                                         QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
                openExe(target);
            }
        });
        return;
    }
}

// One skinned message for every finished web folder or archive; its OK opens the folder.
void Publish::showFinished(const QString& folder, const QString& target) {
    messageBox_->setTitle(tr("Finished"), 25, 0, 211, 16);
    messageBox_->setText(tr("Finished writing %1.\nPress OK to open its folder.").arg(target), 80,
                         20, 361, 51);
    messageBox_->setIcon(chrome::skinPath(QStringLiteral("warning.png")), 10, 20, 51, 51);
    messageBox_->setOkImage(chrome::skinPath(QStringLiteral("ok.png")), 120, 85, 60, 25);
    onOk_ = [this, folder] { openFolder(folder); };
    messageBox_->show();
}

void Publish::runJob(const PublishWork& work, const std::function<void()>& onSuccess) {
    setControlsEnabled(false);
    ui_->progressBar_publish->setRange(0, 0);
    ui_->progressBar_publish->show();
    job_ = makePublishJob(work, this);
    connect(job_, &Job::progress, this,
            [this](qint64 done, qint64 total) { showJobProgress(int(done), int(total)); });
    connect(job_, &Job::finished, this, [this, onSuccess](const JobResult& result) {
        job_->deleteLater();
        job_ = nullptr;
        exeLayout_ = false;
        ui_->progressBar_publish->hide();
        setControlsEnabled(true);
        if (!result.ok()) {
            showWarning(result.message);
            return;
        }
        onSuccess();
    });
    job_->start();
}

void Publish::showJobProgress(int done, int total) {
    ui_->progressBar_publish->setRange(0, total);
    ui_->progressBar_publish->setValue(done);
}

void Publish::setControlsEnabled(bool enabled) {
    for (myLabel* label : {convert_, cancel_, closeButton(), browse_, open_, advancedLabel_}) {
        label->setActive(enabled);
    }
    ui_->lineEdit_outPutFolder->setEnabled(enabled);
    ui_->lineEdit_fileName->setEnabled(enabled);
    if (enabled) {
        styleToolButtons();
    } else {
        for (QToolButton* button :
             {ui_->toolButton_html, ui_->toolButton_zip, ui_->toolButton_exe}) {
            button->setEnabled(false);
        }
    }
}
