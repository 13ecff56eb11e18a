#include "app/home.h"
#include "wall/wall_folder.h"

#include "app/background_job.h"
#include "app/dialog_host.h"
#include "app/page_slider.h"
#include "app/preview_control.h"
#include "app/setting_page.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/toolbar_style.h"
#include "chrome/window_chrome.h"
#include "dialogs/about.h"
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "dialogs/template.h"
#include "import/import.h"
#include "import/import_checks.h"
#include "publish/project_file.h"
#include "publish/publish.h"
#include "share/upload.h"
#include "ui_home.h"
#include "ui_home_page.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/recent_projects.h"
#include "wall/remembered_values.h"
#include "wall/text_codec.h"
#include "wall/work_folder.h"

#include <QAction>
#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <qdrawutil.h>

namespace {

constexpr int kBlinkPeriodMs = 1000;
// The title band at the top of the window's skin picture.
constexpr int kTitleHeight = 30;

// Where the pages and the preview sit in the window.
constexpr int kPanelX = 7;
constexpr int kPanelY = 58;
constexpr int kPanelHeight = 80;
constexpr int kPanelMargin = 14;
// The preview lies below the pages, over the rest of the window but for its frame.
constexpr int kPreviewTop = kPanelY + kPanelHeight + 2;
constexpr int kPreviewBottomMargin = 7;
const QRect kPreviewStart(7, kPreviewTop + 10, Home::kWidth - 13,
                          Home::kHeight - kPreviewTop - kPreviewBottomMargin);
const QRect kPreviewNormal(7, kPreviewTop, Home::kWidth - 13,
                           Home::kHeight - kPreviewTop - kPreviewBottomMargin);

// The user guide ships beside the program and opens from disk in the default browser.
QString userGuideFile() {
    return applicationFolder() + QStringLiteral("guide/index.html");
}

// A presentation handed over on the command line or by the desktop: a path, relative to the
// current folder or absolute, or a file:// URL.
QString presentationPath(const QString& argument) {
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

// The window's skin picture at the window's size: its title band and frame keep their thickness and
// only the middle stretches, so that a maximised window's title band does not grow over the tabs.
QPixmap windowBackground(const QPixmap& skin, const QSize& size) {
    QPixmap shown(size);
    shown.fill(Qt::transparent);
    QPainter painter(&shown);
    qDrawBorderPixmap(&painter, QRect(QPoint(0, 0), size),
                      QMargins(Home::kFrame, kTitleHeight, Home::kFrame, Home::kFrame), skin);
    return shown;
}

QString titleButtonTip(bool maximised) {
    return maximised ? Home::tr("Normal") : Home::tr("Maximize");
}

} // namespace

Home::Home(QWidget* parent) : FramelessWindow(kRadius, parent), ui_(std::make_unique<Ui::Home>()) {
    // 1. The form, the frameless window and its outline.
    ui_->setupUi(this);
    centralWidget()->setMouseTracking(true);
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kMinimumHeight);
    centreOnScreen();
    reshape();

    // 2.-3. Where the wall lives; the page and blink timers (the fade-in is the window's own).
    flashPath_ = workFolder();
    blinkTimer_ = new QTimer(this);
    connect(fadeTimer(), &QTimer::timeout, this, &Home::opacityShowSlot);
    connect(blinkTimer_, &QTimer::timeout, this, &Home::showIcon);

    // 4. The home page starts open, the settings page closed.
    pages_ = new PageSlider(ui_->widget_home, ui_->widget_setting,
                            QRect(kPanelX, kPanelY, ui_->widget_home->width(), kPanelHeight), this);
    connect(pages_->timer(), &QTimer::timeout, this, &Home::pageShowSlot);

    // 5.-6. The dialogs and what they report.
    initDialogs();

    // 7. The work folder and the project side's remembered values.
    createWorkFolder(flashPath_, templateFolder());
    RememberedValues& remembered = RememberedValues::shared();
    remembered.load(projectValuesFile());
    if (!remembered.value(SlotLastProjectFile).isEmpty()) {
        lastProjectFile_ = remembered.value(SlotLastProjectFile);
    }
    if (!remembered.value(SlotLastProjectFolder).isEmpty()) {
        lastOpenFolder_ = remembered.value(SlotLastProjectFolder);
    }

    // 8. Title bar and toolbar; files dropped on the window.
    initLabel();
    initStyle();
    initRecentProjects();
    centralWidget()->setAcceptDrops(true);
    centralWidget()->installEventFilter(this);

    // 9. The wall's look, the gallery index and the preview.
    initSetting();
    initFlash();

    // 10. Layout and the Apply blink.
    relayout();
    ui_->widget_home->show();
    ui_->widget_setting->show();
    blinkTimer_->start(kBlinkPeriodMs);

    // 11. The preview never shows the full-screen button.
    setFullScreenButton(false);
}

Home::~Home() = default;

void Home::initDialogs() {
    const Ui::HomePage& commands = ui_->widget_home->form();
    SettingPage* settings = ui_->widget_setting;
    dialogs_ = new DialogHost(this, &toolbar::select);
    about_ = dialogs_->add(new About, commands.toolButton_about, &About::aboutClose);
    import_ = dialogs_->add(new Import, commands.toolButton_import, &Import::importClose);
    publish_ = dialogs_->add(new Publish, commands.toolButton_publish, &Publish::publishClose);
    bookInfo_ = dialogs_->add(new BookInfo, settings->bookInfoButton(), &BookInfo::bookInfoClose);
    buttons_ = dialogs_->add(new Buttons, settings->buttonsButton(), &Buttons::buttonClose);
    template_ = dialogs_->add(new Template, commands.toolButton_template, &Template::templateClose);
    upload_ = dialogs_->add(new upLoad, commands.toolButton_share, &upLoad::upLoadClose);
    connect(dialogs_, &DialogHost::opened, this, &Home::dialogOpened);
    connect(dialogs_, &DialogHost::closing, this, &Home::dialogClosing);

    import_->setFlashPath(rememberedValuesFile());
    publish_->loadSettings(rememberedValuesFile());

    connect(template_, &Template::templateOk, this, &Home::getCurrentTemplate);
    connect(buttons_, &Buttons::setButtons, this, [this](const HiddenButtons& hidden) {
        project_.setHiddenButtons(hidden);
        on_apply_click();
    });
    connect(bookInfo_, &BookInfo::bookInfoOk, this, [this](const BookDetails& details) {
        project_.setBook(details);
        on_apply_click();
    });
    connect(import_, &Import::saveImageOK, this, &Home::setImage);
}

// The upload dialog shows the wall's full-screen button while it is open: a book uploaded from it
// carries the button, the preview never does.
void Home::dialogOpened(FramelessDialog* dialog) {
    if (dialog == upload_) {
        setFullScreenButton(true);
    }
}

void Home::dialogClosing(FramelessDialog* dialog) {
    if (dialog == upload_) {
        setFullScreenButton(false);
    }
}

void Home::initLabel() {
    skinBackground_ = QPixmap(chrome::skinPath(QStringLiteral("bg.png")));
    ui_->label_title->setScaledContents(true);
    ui_->label_title->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("bg_top.png"))));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.png"))));
    setEdgeStrips(ui_->label_leftframe, ui_->label_rightframe, ui_->label_topframe,
                  ui_->label_buttonfram);
    setWindowIcon(QIcon(chrome::skinPath(QStringLiteral("icon.png"))));

    const QRect titleButton(0, 2, 25, 25);
    close_ = chrome::addImageButton(centralWidget(), QStringLiteral("close.png"), titleButton,
                                    tr("Close"));
    max_ = chrome::addImageButton(centralWidget(), QStringLiteral("max.png"), titleButton,
                                  titleButtonTip(false));
    mini_ = chrome::addImageButton(centralWidget(), QStringLiteral("mini.png"), titleButton,
                                   tr("Minimize"));
    info_ = chrome::addImageButton(centralWidget(), QStringLiteral("info.png"), titleButton,
                                   tr("Help"));
    connect(close_, &myLabel::labelClick, this, &Home::on_close_click);
    connect(max_, &myLabel::labelClick, this, &Home::on_max_click);
    connect(mini_, &myLabel::labelClick, this, &Home::on_mini_click);
    connect(info_, &myLabel::labelClick, this, &Home::on_info_click);

    // Dragging by the title bar, not by its buttons, tabs or edge strips (owned by the window).
    new WindowDragger(this, ui_->label_title,
                      {ui_->label_leftframe, ui_->label_rightframe, ui_->label_topframe,
                       ui_->label_buttonfram, ui_->toolButton_home, ui_->toolButton_setting});
}

void Home::initStyle() {
    centralWidget()->setStyleSheet(toolbar::panelStyle());
    const Ui::HomePage& commands = ui_->widget_home->form();
    for (QToolButton* tab : {ui_->toolButton_home, ui_->toolButton_setting}) {
        tab->setCursor(Qt::PointingHandCursor);
    }
    toolbar::select(ui_->toolButton_home, true);
    ui_->toolButton_home->setEnabled(false);
    toolbar::select(ui_->toolButton_setting, false);

    connect(ui_->toolButton_home, &QToolButton::clicked, this, &Home::on_home_click);
    connect(ui_->toolButton_setting, &QToolButton::clicked, this, &Home::on_setting_click);
    connect(commands.toolButton_import, &QToolButton::clicked, this, &Home::on_import_click);
    connect(commands.toolButton_publish, &QToolButton::clicked, this, &Home::on_publish_click);
    connect(commands.toolButton_template, &QToolButton::clicked, this, &Home::on_template_click);
    connect(commands.toolButton_share, &QToolButton::clicked, this, &Home::on_share_click);
    connect(commands.toolButton_save, &QToolButton::clicked, this, &Home::on_save_click);
    connect(commands.toolButton_open, &QToolButton::clicked, this, &Home::on_open_click);
    SettingPage* settings = ui_->widget_setting;
    connect(settings->bookInfoButton(), &QToolButton::clicked, this, &Home::on_book_click);
    connect(settings->buttonsButton(), &QToolButton::clicked, this, &Home::on_buttons_click);
    connect(settings->applyButton(), &QToolButton::clicked, this, &Home::on_apply_click);
    connect(settings, &SettingPage::applyRequested, this, &Home::on_apply_click);
    // The screen mode only changes how the preview frames the wall.
    connect(settings, &SettingPage::screenModeChanged, this, &Home::relayout);
    // Escape leaves a full-screen preview, whatever the page shows. Only then: otherwise the key
    // belongs to the preview, where it closes an enlarged slide.
    leaveFullScreen_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    leaveFullScreen_->setContext(Qt::WindowShortcut);
    leaveFullScreen_->setEnabled(false);
    connect(leaveFullScreen_, &QShortcut::activated, this,
            [this] { flashCallSLOT(QStringLiteral("fullScreen")); });
}

// The settings page shows the wall's look as the settings file left it (or the first-start
// defaults); the two side dialogs show its book information and hidden buttons.
void Home::initSetting() {
    SettingPage* settings = ui_->widget_setting;
    settings->setProject(&project_);
    project_.setLook(settings->panelLook());
    if (project_.loadSettings(userSettingsFile(), applicationFolder(), flashPath_) ==
        UserSettingsSource::Unreadable) {
        return;
    }
    showWallLook();
}

// The settings page and the two side dialogs show the wall's look as it stands.
void Home::showWallLook() {
    ui_->widget_setting->showLook(project_.look());
    buttons_->setHidden(project_.look().hiddenButtons());
    bookInfo_->setDetails(project_.look().book());
}

void Home::initFlash() {
    repairWork();
    installProcessCodec();
    project_.loadIndex(flashPath_);
    createPreview();
    loadPreview();
    preview_->setGeometry(kPreviewStart);
    preview_->show();
}

void Home::repairWork() {
    repairWorkFolder(flashPath_, templateFolder());
}

void Home::setFullScreenButton(bool shown) {
    showFullScreenButton(flashPath_, shown);
}

// ---------------------------------------------------------------------------------------------
// The preview.

void Home::createPreview() {
    preview_ = new PreviewControl(centralWidget());
    connect(preview_, &PreviewControl::FlashCall, this, &Home::flashCallSLOT);
}

bool Home::loadPreview() {
    qDebug() << "path.flashPath" << flashPath_;
    return preview_->playOrAsk(toNativePath(WallFolder(flashPath_).movie()));
}

void Home::reloadPreview() {
    loadPreview();
    preview_->setGeometry(kPreviewNormal);
    preview_->show();
}

QRect Home::previewRect() const {
    if (previewFullScreen_) {
        return rect();
    }
    const QRect area(7, kPreviewTop, width() - 13, height() - kPreviewTop - kPreviewBottomMargin);
    if (!ui_->widget_setting->isWideScreen()) {
        return area;
    }
    // "Wide Screen": the wall as a 16:9 screen would show it, centred in the preview area.
    QSize wide(area.width(), area.width() * 9 / 16);
    if (wide.height() > area.height()) {
        wide = QSize(area.height() * 16 / 9, area.height());
    }
    return QRect(area.x() + (area.width() - wide.width()) / 2,
                 area.y() + (area.height() - wide.height()) / 2, wide.width(), wide.height());
}

void Home::flashCallSLOT(QString callMessge) {
    repairWork();
    qDebug() << "Home flashCallSLOT" << callMessge;
    if (callMessge.contains(QLatin1String("reload"))) {
        // A fresh control in place of the old one, which may still be delivering this call.
        PreviewControl* old = preview_;
        old->hide();
        disconnect(old, nullptr, this, nullptr);
        old->deleteLater();
        createPreview();
        loadPreview();
        preview_->show();
        relayout();
        return;
    }
    if (!callMessge.contains(QLatin1String("fullScreen"))) {
        return;
    }
    leaveFullScreen_->setEnabled(!previewFullScreen_);
    if (!previewFullScreen_) {
        showFullScreen();
        previewFullScreen_ = true;
        preview_->setGeometry(rect());
        preview_->raise();
        return;
    }
    if (maximised_) {
        showFullScreen();
    } else {
        showNormal();
    }
    preview_->setGeometry(kPreviewNormal);
    previewFullScreen_ = false;
    relayout();
}

// ---------------------------------------------------------------------------------------------
// Title bar.

void Home::opacityShowSlot() {
    fadeStep();
}

void Home::on_close_click() {
    close();
}

void Home::on_mini_click() {
    setWindowState(windowState() | Qt::WindowMinimized);
}

void Home::on_max_click() {
    toggleMaximised();
}

void Home::toggleMaximised() {
    if (!maximised_) {
        // Without a window manager nobody answers the full-screen request: the window covers the
        // screen itself first.
        if (const QScreen* shown = screen()) {
            setGeometry(shown->geometry());
        }
        showFullScreen();
        maximised_ = true;
        relayout();
        max_->setPicture(chrome::skinPath(QStringLiteral("normal.png")));
    } else {
        showNormal();
        resize(kWidth, kHeight);
        centreOnScreen();
        maximised_ = false;
        relayout();
        max_->setPicture(chrome::skinPath(QStringLiteral("max.png")));
    }
    max_->setToolTip(titleButtonTip(maximised_));
}

void Home::on_info_click() {
    const QString guide = userGuideFile();
    if (!QFileInfo(guide).isFile()) {
        reportProblems({tr("The user guide is missing: %1").arg(guide)});
        return;
    }
    if (const QString problem = chrome::openOutside(QUrl::fromLocalFile(guide));
        !problem.isEmpty()) {
        reportProblems({problem});
    }
}

// ---------------------------------------------------------------------------------------------
// Pages.

QString Home::selectedStyle() {
    return toolbar::selectedStyle();
}

QString Home::normalStyle() {
    return toolbar::normalStyle();
}

QString Home::blinkStyle() {
    return toolbar::blinkStyle();
}

int Home::currentPage() const {
    return pages_->current();
}

void Home::on_home_click() {
    switchPage(0);
}

void Home::on_setting_click() {
    switchPage(1);
}

void Home::switchPage(int page) {
    QToolButton* current = page == 0 ? ui_->toolButton_home : ui_->toolButton_setting;
    QToolButton* other = page == 0 ? ui_->toolButton_setting : ui_->toolButton_home;
    pages_->switchTo(page);
    toolbar::select(current, true);
    current->setEnabled(false);
    toolbar::select(other, false);
    if (page == 0) {
        // Leaving the settings page ends the blink with the Apply button in its normal colour.
        blinkPhase_ = false;
        ui_->widget_setting->applyButton()->setStyleSheet(normalStyle());
    }
}

void Home::pageShowSlot() {
    if (pages_->tick() && pages_->current() == 1) {
        relayout();
    }
}

void Home::showIcon() {
    if (pages_->current() != 1) {
        return;
    }
    blinkPhase_ = !blinkPhase_;
    ui_->widget_setting->applyButton()->setStyleSheet(blinkPhase_ ? blinkStyle() : normalStyle());
}

// ---------------------------------------------------------------------------------------------
// Dialogs: opened, centred and closed by the dialog host; the window's own slot names forward.

void Home::on_import_click() {
    dialogs_->open(import_);
}

void Home::on_publish_click() {
    dialogs_->open(publish_);
}

void Home::on_book_click() {
    dialogs_->open(bookInfo_);
}

void Home::on_buttons_click() {
    dialogs_->open(buttons_);
}

void Home::on_template_click() {
    dialogs_->open(template_);
}

void Home::on_toolButton_about_clicked() {
    dialogs_->open(about_);
}

void Home::on_share_click() {
    dialogs_->open(upload_);
}

void Home::openPresentation(const QString& argument) {
    const QString deck = presentationPath(argument);
    if (!QFileInfo(deck).isFile()) {
        reportProblems({tr("The presentation does not exist: %1").arg(deck)});
        return;
    }
    import_->setSource(deck);
    on_import_click();
}

void Home::importCloseSlot() {
    dialogs_->closed(import_);
}

void Home::publishCloseSlot() {
    dialogs_->closed(publish_);
}

void Home::templateCloseSlot1() {
    dialogs_->closed(template_);
}

void Home::uploadCloseSlot() {
    dialogs_->closed(upload_);
}

void Home::bookInfoCloseSlot() {
    dialogs_->closed(bookInfo_);
}

void Home::buttonCloseSlot() {
    dialogs_->closed(buttons_);
}

void Home::aboutCloseSlot() {
    dialogs_->closed(about_);
}

void Home::on_save_click() {
    const QString chosen =
        QFileDialog::getSaveFileName(this, tr("Save"), lastProjectFile_, tr(kProjectFilter));
    if (!chosen.isEmpty()) {
        saveProjectAs(chosen);
    }
}

void Home::saveProjectAs(const QString& chosen) {
    lastProjectFile_ = withProjectSuffix(chosen);
    const QString file = lastProjectFile_;
    const QString work = flashPath_;
    const BookOptions book = publish_->bookOptions();
    runInBackground(
        this, tr("Saving the project..."),
        [file, work, book](const ZipProgress& progress) {
            return saveProject(file, work, book, progress);
        },
        [this, file](const JobResult& result) {
            RememberedValues::shared().setValue(SlotLastProjectFile, file);
            RememberedValues::shared().save(projectValuesFile());
            if (!result.ok()) {
                reportProblems({result.message});
                return;
            }
            rememberProject(file);
            showNotice(tr("Saved"), tr("The project was saved as %1.").arg(file));
        });
}

void Home::on_open_click() {
    const QString file =
        QFileDialog::getOpenFileName(this, tr("open file"), lastOpenFolder_, tr(kProjectFilter));
    if (!file.isEmpty()) {
        openProject(file);
    }
}

void Home::openProject(const QString& file) {
    lastOpenFolder_ = folderOfFile(file);
    const ProjectOpening opening = programProjectOpening();
    const QString work = flashPath_;
    runInBackground(
        this, tr("Opening the project..."),
        [file, work, opening](const ZipProgress& progress) {
            ProjectOpening withProgress = opening;
            withProgress.progress = progress;
            return readProject(file, work, withProgress);
        },
        [this, file](const JobResult& result) {
            RememberedValues::shared().setValue(SlotLastProjectFolder, lastOpenFolder_);
            RememberedValues::shared().save(rememberedValuesFile());
            // ".home.." is read last at start-up: it must not bring back an older folder.
            RememberedValues::shared().save(projectValuesFile());
            if (!result.ok()) {
                reportProblems({result.message});
                return;
            }
            rememberProject(file);
            // Later Apply and imports build on the project's slides and look, not the ones held
            // before.
            reportProblems(project_.adoptWall(flashPath_));
            showWallLook();
            reloadPreview();
            relayout();
            emit projectOpened();
        });
}

// The recent projects, newest first, under the Open Project button's arrow.
void Home::initRecentProjects() {
    QToolButton* open = ui_->widget_home->form().toolButton_open;
    recentMenu_ = new QMenu(open);
    open->setMenu(recentMenu_);
    open->setPopupMode(QToolButton::MenuButtonPopup);
    showRecentProjects(recentProjects(recentProjectsFile()));
}

void Home::showRecentProjects(const QStringList& files) {
    recentMenu_->clear();
    for (const QString& file : files) {
        QAction* entry = recentMenu_->addAction(QFileInfo(file).fileName());
        entry->setToolTip(file);
        entry->setData(file);
        connect(entry, &QAction::triggered, this, [this, file] { openRecentProject(file); });
    }
    if (files.isEmpty()) {
        recentMenu_->addAction(tr("No recent projects"))->setEnabled(false);
    }
}

QStringList Home::recentProjectFiles() const {
    return recentProjects(recentProjectsFile());
}

void Home::rememberProject(const QString& file) {
    showRecentProjects(rememberRecentProject(recentProjectsFile(), file));
}

void Home::openRecentProject(const QString& file) {
    if (!QFileInfo(file).isFile()) {
        showRecentProjects(forgetRecentProject(recentProjectsFile(), file));
        reportProblems({tr("The project %1 is gone; it was taken off the list.").arg(file)});
        return;
    }
    openProject(file);
}

// ---------------------------------------------------------------------------------------------
// Files dropped on the window: a presentation goes to the import dialog, a project file opens.

namespace {

QString droppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

bool isProjectFile(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("mrnp"), Qt::CaseInsensitive) == 0;
}

} // namespace

// The central widget takes the drops for the whole window: whatever lies under the pointer, the
// drop reaches it.
bool Home::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QString file = droppedFile(drop->mimeData());
        if (!file.isEmpty()) {
            drop->acceptProposedAction();
            if (event->type() == QEvent::Drop) {
                dropFile(file);
            }
        }
        return true;
    }
    return FramelessWindow::eventFilter(watched, event);
}

void Home::dropFile(const QString& file) {
    if (isProjectFile(file)) {
        openProject(file);
    } else if (isPresentationFile(file)) {
        openPresentation(file);
    } else {
        const QString types =
            QStringLiteral(".") + kPresentationSuffixes.join(QLatin1String(", ."));
        reportProblems({tr("%1 is neither a presentation (%2) nor a project file (.mrnp).")
                            .arg(QFileInfo(file).fileName(), types)});
    }
}

// ---------------------------------------------------------------------------------------------
// The settings page, the wall and Apply.

SettingPage* Home::settingPage() const {
    return ui_->widget_setting;
}

int Home::backgroundMode() const {
    return ui_->widget_setting->backgroundMode();
}

QMenuBar* Home::modeMenu() const {
    return ui_->widget_setting->modeMenu();
}

void Home::on_toolButton_file_clicked() {
    ui_->widget_setting->on_toolButton_file_clicked();
}

void Home::on_toolButton_color_clicked() {
    ui_->widget_setting->on_toolButton_color_clicked();
}

void Home::on_toolButton_startColor_clicked() {
    ui_->widget_setting->on_toolButton_startColor_clicked();
}

void Home::on_toolButton_endColor_clicked() {
    ui_->widget_setting->on_toolButton_endColor_clicked();
}

void Home::on_browseLogo_click() {
    ui_->widget_setting->on_browseLogo_click();
}

void Home::imageAction() {
    ui_->widget_setting->imageAction();
}

void Home::pureAction() {
    ui_->widget_setting->pureAction();
}

void Home::gradientAction() {
    ui_->widget_setting->gradientAction();
}

void Home::getCurrentTemplate(QString currentTemplate) {
    ui_->widget_setting->useTemplate(currentTemplate);
}

void Home::on_apply_click() {
    ui_->widget_setting->commit();
    reportProblems(applyWall(project_, flashPath_));
    reloadPreview();
    relayout();
}

// What Apply could not do is said in the program's message box, without stopping the window.
void Home::reportProblems(const QStringList& problems) {
    if (problems.isEmpty()) {
        return;
    }
    qWarning().noquote() << problems.join(QLatin1Char(' '));
    showNotice(tr("Notice"), problems.join(QLatin1Char('\n')));
}

void Home::showNotice(const QString& title, const QString& text) {
    if (!messageBox_) {
        messageBox_ = new MymessgeBox(this);
        messageBox_->setWindowFlags(messageBox_->windowFlags() | Qt::Window);
    }
    messageBox_->showNotice(title, text, QPoint(70, 20));
}

void Home::setImage(const ImportedSlides& slides) {
    // What the setting page holds goes in first, so that what the deck brings (a right-to-left
    // reading direction) shows there and the Apply below keeps it.
    ui_->widget_setting->commit();
    project_.setImages(slides.imageNumbers());
    project_.takeDeckDetails(workFolder());
    ui_->widget_setting->showLook(project_.look());
    on_apply_click();
}

// ---------------------------------------------------------------------------------------------
// Layout.

void Home::showEvent(QShowEvent* event) {
    FramelessWindow::showEvent(event);
    relayout();
}

void Home::resizeEvent(QResizeEvent* event) {
    FramelessWindow::resizeEvent(event);
    relayout();
}

void Home::relayout() {
    if (!preview_) {
        return; // still under construction
    }
    const int w = width();
    const int h = height();
    reshape();
    if (ui_->label_bg->size() != size() || ui_->label_bg->pixmap().isNull()) {
        ui_->label_bg->setGeometry(0, 0, w, h);
        ui_->label_bg->setPixmap(windowBackground(skinBackground_, size()));
    }
    ui_->label_title->setGeometry(0, 0, w, ui_->label_title->height());
    ui_->label_leftframe->setGeometry(0, 0, kFrame, h);
    ui_->label_rightframe->setGeometry(w - kFrame, 0, kFrame, h);
    ui_->label_topframe->setGeometry(0, 0, w, kFrame);
    ui_->label_buttonfram->setGeometry(0, h - kFrame, w, kFrame);
    close_->move(w - 38, 2);
    max_->move(w - 68, 2);
    mini_->move(w - 98, 2);
    info_->move(w - 128, 2);

    pages_->setFullWidth(w - kPanelMargin);
    for (QWidget* panel : {ui_->widget_home->panel(), ui_->widget_setting->panel()}) {
        panel->setGeometry(0, 0, w - kPanelMargin, kPanelHeight);
    }

    preview_->setGeometry(previewRect());
    // The edge strips and the title-bar buttons stay above the preview; a full-screen preview
    // covers everything.
    for (QWidget* top : std::initializer_list<QWidget*>{ui_->label_leftframe, ui_->label_rightframe,
                                                        ui_->label_topframe, ui_->label_buttonfram,
                                                        close_, max_, mini_, info_}) {
        top->raise();
    }
    if (previewFullScreen_) {
        preview_->raise();
    }
}

void Home::mouseDoubleClickEvent(QMouseEvent* event) {
    FramelessWindow::mouseDoubleClickEvent(event);
    // The title bar's own labels count as the title; its buttons and the edge strips do not.
    const QWidget* hit = childAt(event->position().toPoint());
    const bool onTitle =
        hit == ui_->label_title || hit == ui_->label_titleText || hit == ui_->label_icon;
    if (event->button() == Qt::LeftButton && onTitle) {
        on_max_click();
    }
}
