#include "app/home.h"

#include "app/dialog_host.h"
#include "app/mylabel.h"
#include "app/preview_control.h"
#include "app/window_chrome.h"
#include "dialogs/about.h"
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "dialogs/template.h"
#include "import/import.h"
#include "platform/player/gallery_script.h"
#include "publish/publish.h"
#include "share/upload.h"
#include "ui_home.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"
#include "wall/text_codec.h"
#include "wall/work_folder.h"

#include <QAction>
#include <QColorDialog>
#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

namespace {

constexpr int kFadePeriodMs = 40;
constexpr int kPagePeriodMs = 5;
constexpr int kBlinkPeriodMs = 1000;
constexpr int kPageStep = 10;
// The left edge follows the pointer in steps of 10 pixels, the top edge in steps of 5.
constexpr int kLeftEdgeStep = 10;
constexpr int kTopEdgeStep = 5;

// Where the pages and the preview sit in the window.
constexpr int kPanelX = 7;
constexpr int kPanelY = 58;
constexpr int kPanelHeight = 62;
constexpr int kPanelMargin = 14;
const QRect kPreviewStart(7, 132, 855, 532);
const QRect kPreviewNormal(7, 122, 855, 532);

const char* const kUserGuideUrl = "https://quorvex.example/murano/guide/";
// Where a user whose system lacks the browser engine learns how to install it.
const char* const kEngineHelpUrl = "https://packages.debian.org/search?keywords=qt6-webengine";

QString titleButtonTip(bool maximised) {
    return maximised ? Home::tr("Normal") : Home::tr("Maximize");
}

// The window-wide look of the panels, fields and tabs; the toolbar buttons carry their own.
QString panelStyle() {
    return QStringLiteral(
        "QLabel#label_titleText{color: #ffffff; font-size: 14px; font-weight: 600;}"
        "QWidget#widget_home, QWidget#widget_setting{background-color: rgba(255, 255, 255, 150);"
        " border-radius: 6px;}"
        "QWidget#widget_logeSetting, QWidget#widget_backgroundConfig,"
        " QWidget#widget_screenSetting{background: transparent;}"
        "QWidget#page_image, QWidget#page_pureColor, QWidget#page_gradientColor,"
        " QStackedWidget{background: transparent;}"
        "QLabel#label_style{color: #24557f; font-weight: 600;}"
        "QWidget#widget_setting QLabel{color: #1d2433;}"
        "QLineEdit, QComboBox{background-color: #ffffff; color: #1d2433; border: 1px solid #9fb1c7;"
        " border-radius: 4px; padding: 1px 4px;}"
        "QLineEdit:focus, QComboBox:focus{border: 1px solid #3d8fe0;}"
        "QWidget#widget_setting QToolButton#toolButton_file,"
        " QWidget#widget_setting QToolButton#toolButton_color,"
        " QWidget#widget_setting QToolButton#toolButton_startColor,"
        " QWidget#widget_setting QToolButton#toolButton_endColor{background-color: #e9eef5;"
        " border: 1px solid #9fb1c7; border-radius: 4px;}"
        "QCheckBox{color: #1d2433;}"
        "QFrame#line_home3, QFrame#line_home5{color: rgba(0, 0, 0, 60);}"
        "QMenuBar{background: transparent; border: none;}"
        "QMenuBar::item{padding: 0px; background: transparent;}"
        "QMenu{background-color: #ffffff; color: #1d2433; border: 1px solid #9fb1c7;}"
        "QMenu::item:selected{background-color: #55aaff; color: #ffffff;}"
        "QMenu::item:disabled{color: #9aa3b2;}");
}

} // namespace

Home::Home(QWidget* parent) : QMainWindow(parent), ui_(std::make_unique<Ui::Home>()) {
    // 1. The form, the frameless window and its outline.
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    centralWidget()->setMouseTracking(true);
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kMinimumHeight);
    centreOnScreen();
    chrome::applyRoundedMask(this, kRadius);

    // 2. Where everything lives.
    appPath_ = applicationFolder();
    tempPath_ = tempFolder();
    flashPath_ = workFolder();
    imagePath_ = skinFolder();

    // 3. Animation state.
    setWindowOpacity(0.0);
    opacityTimer_ = new QTimer(this);
    pageTimer_ = new QTimer(this);
    blinkTimer_ = new QTimer(this);
    connect(opacityTimer_, &QTimer::timeout, this, &Home::opacityShowSlot);
    connect(pageTimer_, &QTimer::timeout, this, &Home::pageShowSlot);
    connect(blinkTimer_, &QTimer::timeout, this, &Home::showIcon);

    // 4. The home page starts open, the settings page closed.
    homeFullWidth_ = ui_->widget_home->width();
    settingFullWidth_ = ui_->widget_setting->width();
    homeWidth_ = homeFullWidth_;
    settingWidth_ = 0;
    ui_->widget_setting->setGeometry(kPanelX, kPanelY, 0, kPanelHeight);

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

    // 8. Title bar and toolbar.
    initLabel();
    qDebug() << "initLabel";
    initStyle();
    qDebug() << "initStyle";

    // 9. Background-mode menu, user settings, gallery index and preview.
    initModeMenu();
    restoreSettings();
    qDebug() << "initSetting";
    initFlash();
    qDebug() << "initFlash";

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
    dialogs_ = new DialogHost(
        this, [this](QToolButton* button, bool selected) { selectButton(button, selected); });
    about_ = dialogs_->add(new About, ui_->toolButton_about, &About::aboutClose);
    import_ = dialogs_->add(new Import, ui_->toolButton_import, &Import::importClose);
    publish_ = dialogs_->add(new Publish, ui_->toolButton_publish, &Publish::publishClose);
    bookInfo_ = dialogs_->add(new BookInfo, ui_->toolButton_bookInfo, &BookInfo::bookInfoClose);
    buttons_ = dialogs_->add(new Buttons, ui_->toolButton_buttons, &Buttons::buttonClose);
    template_ = dialogs_->add(new Template, ui_->toolButton_template, &Template::templateClose);
    upload_ = dialogs_->add(new upLoad, ui_->toolButton_share, &upLoad::upLoadClose);
    connect(dialogs_, &DialogHost::opened, this, &Home::dialogOpened);
    connect(dialogs_, &DialogHost::closing, this, &Home::dialogClosing);

    import_->setFlashPath(rememberedValuesFile());
    publish_->loadSettings(rememberedValuesFile());

    connect(template_, &Template::templateOk, this, &Home::getCurrentTemplate);
    connect(buttons_, &Buttons::setButtons, this, [this](const HiddenButtons& hidden) {
        hiddenButtons_ = hidden;
        on_apply_click();
    });
    connect(bookInfo_, &BookInfo::bookInfoOk, this, [this](const BookDetails& details) {
        book_ = details;
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
    ui_->label_bg->setPixmap(QPixmap(imagePath_ + QStringLiteral("bg.png")));
    ui_->label_title->setScaledContents(true);
    ui_->label_title->setPixmap(QPixmap(imagePath_ + QStringLiteral("bg_top.png")));
    ui_->label_icon->setPixmap(QPixmap(imagePath_ + QStringLiteral("icon.png")));
    for (QLabel* strip : {ui_->label_leftframe, ui_->label_rightframe}) {
        strip->setCursor(Qt::SizeHorCursor);
    }
    for (QLabel* strip : {ui_->label_topframe, ui_->label_buttonfram}) {
        strip->setCursor(Qt::SizeVerCursor);
    }
    setWindowIcon(QIcon(imagePath_ + QStringLiteral("icon.png")));

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

    browseLogo_ = chrome::addImageButton(ui_->widget_logeSetting, QStringLiteral("browse.png"),
                                         QRect(232, 7, 22, 22), tr("Browse"));
    connect(browseLogo_, &myLabel::labelClick, this, &Home::on_browseLogo_click);

    // Dragging by the title bar, not by its buttons, tabs or edge strips (owned by the window).
    new WindowDragger(this, ui_->label_title,
                      {ui_->label_leftframe, ui_->label_rightframe, ui_->label_topframe,
                       ui_->label_buttonfram, ui_->toolButton_home, ui_->toolButton_setting});
}

void Home::initStyle() {
    centralWidget()->setStyleSheet(panelStyle());
    const struct {
        QToolButton* button;
        const char* icon;
    } toolbar[] = {
        {ui_->toolButton_import, "import.png"},     {ui_->toolButton_publish, "publish.png"},
        {ui_->toolButton_template, "template.png"}, {ui_->toolButton_share, "upload.png"},
        {ui_->toolButton_save, "save.png"},         {ui_->toolButton_open, "open.png"},
        {ui_->toolButton_bookInfo, "book.png"},     {ui_->toolButton_buttons, "button.png"},
        {ui_->toolButton_applay, "apply.png"},      {ui_->toolButton_about, "help.png"},
    };
    for (const auto& entry : toolbar) {
        entry.button->setIcon(QIcon(imagePath_ + QLatin1String(entry.icon)));
        entry.button->setStyleSheet(normalStyle());
        entry.button->setCursor(Qt::PointingHandCursor);
    }
    for (QToolButton* tab : {ui_->toolButton_home, ui_->toolButton_setting}) {
        tab->setCursor(Qt::PointingHandCursor);
    }
    selectButton(ui_->toolButton_home, true);
    ui_->toolButton_home->setEnabled(false);
    selectButton(ui_->toolButton_setting, false);

    connect(ui_->toolButton_home, &QToolButton::clicked, this, &Home::on_home_click);
    connect(ui_->toolButton_setting, &QToolButton::clicked, this, &Home::on_setting_click);
    connect(ui_->toolButton_import, &QToolButton::clicked, this, &Home::on_import_click);
    connect(ui_->toolButton_publish, &QToolButton::clicked, this, &Home::on_publish_click);
    connect(ui_->toolButton_template, &QToolButton::clicked, this, &Home::on_template_click);
    connect(ui_->toolButton_share, &QToolButton::clicked, this, &Home::on_share_click);
    connect(ui_->toolButton_save, &QToolButton::clicked, this, &Home::on_save_click);
    connect(ui_->toolButton_open, &QToolButton::clicked, this, &Home::on_open_click);
    connect(ui_->toolButton_bookInfo, &QToolButton::clicked, this, &Home::on_book_click);
    connect(ui_->toolButton_buttons, &QToolButton::clicked, this, &Home::on_buttons_click);
    connect(ui_->toolButton_applay, &QToolButton::clicked, this, &Home::on_apply_click);
    // Escape leaves a full-screen preview, whatever the page shows.
    auto* leaveFullScreen = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    leaveFullScreen->setContext(Qt::WindowShortcut);
    connect(leaveFullScreen, &QShortcut::activated, this, [this] {
        if (previewFullScreen_) {
            flashCallSLOT(QStringLiteral("fullScreen"));
        }
    });
    // The screen mode only changes how the preview frames the wall.
    connect(ui_->comboBox_screen, &QComboBox::currentIndexChanged, this, &Home::relayout);
}

void Home::initModeMenu() {
    modeMenu_ = new QMenuBar(ui_->widget_backgroundConfig);
    modeMenu_->setNativeMenuBar(false);
    modeMenu_->setGeometry(18, 47, 15, 15);
    imageEntry_ = modeMenu_->addAction(tr("Image"));
    pureEntry_ = modeMenu_->addAction(tr("Pure Color"));
    gradientEntry_ = modeMenu_->addAction(tr("Gradient Color"));
    connect(imageEntry_, &QAction::triggered, this, &Home::imageAction);
    connect(pureEntry_, &QAction::triggered, this, &Home::pureAction);
    connect(gradientEntry_, &QAction::triggered, this, &Home::gradientAction);
    // The bar is too small for its entries, so it shows only its overflow button, which drops
    // the three entries down; the button wears the skin's style picture.
    if (auto* overflow = modeMenu_->findChild<QToolButton*>()) {
        overflow->setIcon(QIcon(imagePath_ + QStringLiteral("style.png")));
        overflow->setIconSize(QSize(15, 15));
        overflow->setToolTip(tr("Background style"));
        overflow->setCursor(Qt::PointingHandCursor);
    }
    modeMenu_->show();
}

void Home::initFlash() {
    repairWork();
    installProcessCodec();
    index_.load(indexPath());
    createPreview();
    loadPreview();
    preview_->setGeometry(kPreviewStart);
    preview_->show();
}

// ---------------------------------------------------------------------------------------------
// The work folder.

void Home::repairWork() {
    repairWorkFolder(flashPath_, templateFolder());
}

QString Home::indexPath() const {
    return flashPath_ + QStringLiteral("/xml/images.xml");
}

void Home::setFullScreenButton(bool shown) {
    const QString hidden = QStringLiteral("btn_fullscreen=\"0\"");
    const QString visible = QStringLiteral("btn_fullscreen=\"1\"");
    if (replaceInIndex(indexPath(), shown ? hidden : visible, shown ? visible : hidden)) {
        murano::player::writeGalleryScript(indexPath());
    }
}

// ---------------------------------------------------------------------------------------------
// The preview.

void Home::createPreview() {
    preview_ = new PreviewControl(centralWidget());
    connect(preview_, &PreviewControl::FlashCall, this, &Home::flashCallSLOT);
}

bool Home::loadPreview() {
    for (;;) {
        if (preview_->setControl()) {
            const QString movie = toNativePath(flashPath_ + QStringLiteral("/main.swf"));
            qDebug() << "path.flashPath" << flashPath_;
            preview_->loadMovie(movie);
            return true;
        }
        QMessageBox question(QMessageBox::Critical, tr("Quorvex Murano"),
                             tr("Your system hasn't the wall player engine installed."),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Retry);
        question.setInformativeText(tr("Do you want to download and install the wall player "
                                       "engine now?"));
        question.setDefaultButton(QMessageBox::Yes);
        switch (question.exec()) {
        case QMessageBox::Yes:
            QDesktopServices::openUrl(QUrl(QString::fromLatin1(kEngineHelpUrl)));
            break;
        case QMessageBox::Retry:
            break;
        default:
            return false;
        }
        preview_->clear();
    }
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
    const QRect area(7, 122, width() - 13, height() - 129);
    if (ui_->comboBox_screen->currentIndex() != 1) {
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

void Home::fadeIn() {
    opacity_ = 0.0;
    setWindowOpacity(opacity_);
    opacityTimer_->start(kFadePeriodMs);
}

void Home::opacityShowSlot() {
    opacity_ += 0.1;
    // Ten steps of 0.1 reach 1.0 only up to rounding.
    if (opacity_ >= 1.0 - 1e-6) {
        opacity_ = 1.0;
        opacityTimer_->stop();
    }
    setWindowOpacity(opacity_);
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
        showFullScreen();
        maximised_ = true;
        relayout();
        max_->setPicture(imagePath_ + QStringLiteral("normal.png"));
    } else {
        showNormal();
        resize(kWidth, kHeight);
        centreOnScreen();
        maximised_ = false;
        relayout();
        max_->setPicture(imagePath_ + QStringLiteral("max.png"));
    }
    max_->setToolTip(titleButtonTip(maximised_));
}

void Home::centreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

void Home::on_info_click() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kUserGuideUrl)));
}

// ---------------------------------------------------------------------------------------------
// Pages.

QString Home::selectedStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);background-color: rgb(85, "
        "170, 255);}QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(0, 0, "
        "0);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

QString Home::normalStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(0, 0, 0);} "
        "QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(0, 0, "
        "0);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

QString Home::blinkStyle() {
    return QStringLiteral(
        "QToolButton{border:none;border-radius: 4px;color: rgb(255, 10, 255);} "
        "QToolButton:hover{background-color:rgba(255,255,255,100);color: rgb(255, 10, "
        "255);}QToolButton:hover:pressed{background-color:rgba(255,255,255,100);}");
}

void Home::selectButton(QToolButton* button, bool selected) {
    button->setStyleSheet(selected ? selectedStyle() : normalStyle());
    if (!selected) {
        button->setEnabled(true);
    }
}

void Home::on_home_click() {
    switchPage(0);
}

void Home::on_setting_click() {
    switchPage(1);
}

void Home::switchPage(int page) {
    page_ = page;
    QToolButton* current = page == 0 ? ui_->toolButton_home : ui_->toolButton_setting;
    QToolButton* other = page == 0 ? ui_->toolButton_setting : ui_->toolButton_home;
    (page == 0 ? ui_->widget_home : ui_->widget_setting)->show();
    pageTimer_->start(kPagePeriodMs);
    selectButton(current, true);
    current->setEnabled(false);
    selectButton(other, false);
    if (page == 0) {
        // Leaving the settings page ends the blink with the Apply button in its normal colour.
        blinkPhase_ = false;
        ui_->toolButton_applay->setStyleSheet(normalStyle());
    }
}

void Home::pageShowSlot() {
    int& closing = page_ == 0 ? settingWidth_ : homeWidth_;
    int& opening = page_ == 0 ? homeWidth_ : settingWidth_;
    const int openingFull = page_ == 0 ? homeFullWidth_ : settingFullWidth_;
    if (closing > 0) {
        closing = std::max(0, closing - kPageStep);
    } else if (opening < openingFull) {
        opening = std::min(openingFull, opening + kPageStep);
    } else {
        pageTimer_->stop();
        if (page_ == 1) {
            relayout();
        }
        return;
    }
    ui_->widget_home->setGeometry(kPanelX, kPanelY, homeWidth_, kPanelHeight);
    ui_->widget_setting->setGeometry(kPanelX, kPanelY, settingWidth_, kPanelHeight);
}

void Home::showIcon() {
    if (page_ != 1) {
        return;
    }
    blinkPhase_ = !blinkPhase_;
    ui_->toolButton_applay->setStyleSheet(blinkPhase_ ? blinkStyle() : normalStyle());
}

// ---------------------------------------------------------------------------------------------
// Dialogs.

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

// The dialogs' close signals reach the host directly; these keep the window's own names for them.
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

// Project files are written and opened by the project module; the buttons stay until it lands.
void Home::on_save_click() {}

void Home::on_open_click() {}

// ---------------------------------------------------------------------------------------------
// Settings panel.

void Home::setBackgroundMode(int mode) {
    backgroundMode_ = mode;
    imageEntry_->setEnabled(mode != 0);
    pureEntry_->setEnabled(mode != 1);
    gradientEntry_->setEnabled(mode != 2);
    QWidget* pages[] = {ui_->page_image, ui_->page_pureColor, ui_->page_gradientColor};
    ui_->stackedWidget_background->setCurrentWidget(pages[mode]);
}

void Home::imageAction() {
    setBackgroundMode(0);
}

void Home::pureAction() {
    setBackgroundMode(1);
}

void Home::gradientAction() {
    setBackgroundMode(2);
}

void Home::on_toolButton_file_clicked() {
    const QString file = QFileDialog::getOpenFileName(this, tr("open file"), lastBackgroundFolder_,
                                                      tr("Image (*png *jpg)"));
    if (file.isEmpty()) {
        return;
    }
    lastBackgroundFile_ = file;
    lastBackgroundFolder_ = file.left(file.lastIndexOf(QLatin1Char('/')));
    ui_->lineEdit_file->setText(file);
    on_apply_click();
}

void Home::on_browseLogo_click() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Open File"), lastLogoFolder_,
                                                      tr("Loge File (*png *jpg)"));
    if (file.isEmpty()) {
        return;
    }
    lastLogoFile_ = file;
    lastLogoFolder_ = file.left(file.lastIndexOf(QLatin1Char('/')));
    ui_->lineEdit_logoFile->setText(file);
}

bool Home::pickColour(QColor& colour, QLineEdit* swatch) {
    const QColor chosen = QColorDialog::getColor(Qt::white, nullptr);
    if (!chosen.isValid()) {
        return false;
    }
    colour = chosen;
    showSwatch(swatch, colour);
    return true;
}

void Home::on_toolButton_color_clicked() {
    if (pickColour(pureColour_, ui_->lineEdit_color)) {
        on_apply_click();
    }
}

void Home::on_toolButton_startColor_clicked() {
    pickColour(startColour_, ui_->lineEdit_starColor);
}

void Home::on_toolButton_endColor_clicked() {
    pickColour(endColour_, ui_->lineEdit_endColor);
}

void Home::getCurrentTemplate(QString currentTemplate) {
    setBackgroundMode(0);
    ui_->comboBox_position->setCurrentIndex(1);
    ui_->lineEdit_file->setText(currentTemplate);
    on_apply_click();
}

// ---------------------------------------------------------------------------------------------
// Apply and the gallery index.

void Home::on_apply_click() {
    repairWork();
    saveSettings();
    applyLook();
    reloadPreview();
    relayout();
}

void Home::setImage(const ImportedSlides& slides) {
    index_.setImageLines(slides.imageNumbers());
    on_apply_click();
}

// ---------------------------------------------------------------------------------------------
// Layout, moving and resizing.

void Home::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    relayout();
}

void Home::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    relayout();
}

void Home::relayout() {
    if (!preview_) {
        return; // still under construction
    }
    const int w = width();
    const int h = height();
    chrome::applyRoundedMask(this, kRadius);
    ui_->label_bg->setGeometry(0, 0, w, h);
    ui_->label_title->setGeometry(0, 0, w, ui_->label_title->height());
    ui_->label_leftframe->setGeometry(0, 0, kFrame, h);
    ui_->label_rightframe->setGeometry(w - kFrame, 0, kFrame, h);
    ui_->label_topframe->setGeometry(0, 0, w, kFrame);
    ui_->label_buttonfram->setGeometry(0, h - kFrame, w, kFrame);
    close_->move(w - 38, 2);
    max_->move(w - 68, 2);
    mini_->move(w - 98, 2);
    info_->move(w - 128, 2);

    homeFullWidth_ = w - kPanelMargin;
    settingFullWidth_ = w - kPanelMargin;
    if (pageTimer_->isActive()) {
        homeWidth_ = std::min(homeWidth_, homeFullWidth_);
        settingWidth_ = std::min(settingWidth_, settingFullWidth_);
    } else {
        homeWidth_ = page_ == 0 ? homeFullWidth_ : 0;
        settingWidth_ = page_ == 1 ? settingFullWidth_ : 0;
    }
    ui_->widget_home->setGeometry(kPanelX, kPanelY, homeWidth_, kPanelHeight);
    ui_->widget_setting->setGeometry(kPanelX, kPanelY, settingWidth_, kPanelHeight);
    ui_->toolButton_applay->move(w - 218, ui_->toolButton_applay->y());
    ui_->toolButton_buttons->move(w - 158, ui_->toolButton_buttons->y());
    ui_->toolButton_bookInfo->move(w - 98, ui_->toolButton_bookInfo->y());

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

void Home::mousePressEvent(QMouseEvent* event) {
    QMainWindow::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || maximised_ || previewFullScreen_) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    const struct {
        QLabel* strip;
        Edge edge;
    } strips[] = {{ui_->label_leftframe, Edge::Left},
                  {ui_->label_rightframe, Edge::Right},
                  {ui_->label_topframe, Edge::Top},
                  {ui_->label_buttonfram, Edge::Bottom}};
    for (const auto& entry : strips) {
        if (entry.strip->geometry().contains(pos)) {
            edge_ = entry.edge;
            edgePress_ = pos;
            return;
        }
    }
}

void Home::mouseMoveEvent(QMouseEvent* event) {
    QMainWindow::mouseMoveEvent(event);
    if (edge_ != Edge::None && resizeByEdge(event->globalPosition().toPoint())) {
        relayout();
    }
}

void Home::mouseReleaseEvent(QMouseEvent* event) {
    QMainWindow::mouseReleaseEvent(event);
    edge_ = Edge::None;
}

void Home::mouseDoubleClickEvent(QMouseEvent* event) {
    QMainWindow::mouseDoubleClickEvent(event);
    // The title bar's own labels count as the title; its buttons and the edge strips do not.
    const QWidget* hit = childAt(event->position().toPoint());
    const bool onTitle =
        hit == ui_->label_title || hit == ui_->label_titleText || hit == ui_->label_icon;
    if (event->button() == Qt::LeftButton && onTitle) {
        on_max_click();
    }
}

bool Home::resizeByEdge(const QPoint& globalPos) {
    QRect frame = geometry();
    const QSize minimum = minimumSize();
    switch (edge_) {
    case Edge::Right:
        frame.setWidth(
            std::max(minimum.width(), globalPos.x() - frame.x() + (width() - edgePress_.x())));
        break;
    case Edge::Bottom:
        frame.setHeight(
            std::max(minimum.height(), globalPos.y() - frame.y() + (height() - edgePress_.y())));
        break;
    case Edge::Left: {
        int offset = globalPos.x() - (frame.x() + edgePress_.x());
        while (offset <= -kLeftEdgeStep) {
            frame.setLeft(frame.left() - kLeftEdgeStep);
            offset += kLeftEdgeStep;
        }
        while (offset >= kLeftEdgeStep && frame.width() - kLeftEdgeStep >= minimum.width()) {
            frame.setLeft(frame.left() + kLeftEdgeStep);
            offset -= kLeftEdgeStep;
        }
        break;
    }
    case Edge::Top: {
        int offset = globalPos.y() - (frame.y() + edgePress_.y());
        while (offset <= -kTopEdgeStep) {
            frame.setTop(frame.top() - kTopEdgeStep);
            offset += kTopEdgeStep;
        }
        while (offset >= kTopEdgeStep && frame.height() - kTopEdgeStep >= minimum.height()) {
            frame.setTop(frame.top() + kTopEdgeStep);
            offset -= kTopEdgeStep;
        }
        break;
    }
    case Edge::None:
        return false;
    }
    if (frame == geometry()) {
        return false;
    }
    setGeometry(frame);
    return true;
}
