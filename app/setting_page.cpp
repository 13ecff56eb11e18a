#include "app/setting_page.h"

#include "chrome/mylabel.h"
#include "chrome/toolbar_style.h"
#include "chrome/window_chrome.h"
#include "ui_setting_page.h"
#include "wall/user_settings.h"
#include "wall/wall_project.h"

#include <QAction>
#include <QColorDialog>
#include <QFileDialog>
#include <QGridLayout>
#include <QMenuBar>

#include <algorithm>

namespace {

QString folderOf(const QString& file) {
    return file.left(file.lastIndexOf(QLatin1Char('/')));
}

void showSwatch(QLineEdit* swatch, const QColor& colour) {
    swatch->setStyleSheet(swatchStyle(colour.name()));
}

// The entries of the reading-direction list.
constexpr int kLeftToRight = 0;
constexpr int kRightToLeft = 1;

} // namespace

SettingPage::SettingPage(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::SettingPage>()) {
    ui_->setupUi(this);
    // The window's style sheet paints the page's panel, as it does a plain widget's.
    setAttribute(Qt::WA_StyledBackground);
    chrome::allowLongText(this);
    const struct {
        QToolButton* button;
        const char* icon;
    } commands[] = {{ui_->toolButton_bookInfo, "book.png"},
                    {ui_->toolButton_buttons, "button.png"},
                    {ui_->toolButton_applay, "apply.png"}};
    for (const auto& entry : commands) {
        entry.button->setIcon(QIcon(chrome::skinPath(QLatin1String(entry.icon))));
        entry.button->setStyleSheet(toolbar::normalStyle());
        entry.button->setCursor(Qt::PointingHandCursor);
    }
    browseLogo_ = chrome::addImageButton(ui_->widget_logeSetting, QStringLiteral("browse.png"),
                                         QRect(0, 0, 22, 22), tr("Browse"));
    browseLogo_->setFixedSize(22, 22);
    ui_->layout_logo->addWidget(browseLogo_, 0, 2);
    ui_->spinBox_autoplay->setMaximum(kMaxAutoplaySeconds);
    connect(browseLogo_, &myLabel::labelClick, this, &SettingPage::on_browseLogo_click);
    connect(ui_->comboBox_screen, &QComboBox::currentIndexChanged, this,
            &SettingPage::screenModeChanged);
    // The visible twin of the style menu: its entries follow the modes' order.
    connect(ui_->comboBox_background, &QComboBox::activated, this,
            [this](int index) { setBackgroundMode(static_cast<BackgroundMode>(index)); });
    buildModeMenu();
}

SettingPage::~SettingPage() = default;

void SettingPage::buildModeMenu() {
    modeMenu_ = new QMenuBar(ui_->widget_backgroundConfig);
    modeMenu_->setNativeMenuBar(false);
    // A fixed size: a restyled menu bar would otherwise grow to show its entries.
    modeMenu_->setFixedSize(15, 15);
    ui_->layout_background->addWidget(modeMenu_, 0, 2);
    imageEntry_ = modeMenu_->addAction(tr("Image"));
    pureEntry_ = modeMenu_->addAction(tr("Pure Color"));
    gradientEntry_ = modeMenu_->addAction(tr("Gradient Color"));
    connect(imageEntry_, &QAction::triggered, this, &SettingPage::imageAction);
    connect(pureEntry_, &QAction::triggered, this, &SettingPage::pureAction);
    connect(gradientEntry_, &QAction::triggered, this, &SettingPage::gradientAction);
    // The bar is too small for its entries, so it shows only its overflow button, which drops
    // the three entries down; the button wears the skin's style picture.
    if (auto* overflow = modeMenu_->findChild<QToolButton*>()) {
        overflow->setIcon(QIcon(chrome::skinPath(QStringLiteral("style.png"))));
        overflow->setIconSize(QSize(15, 15));
        overflow->setToolTip(tr("Background style"));
        overflow->setCursor(Qt::PointingHandCursor);
    }
    modeMenu_->show();
}

void SettingPage::setProject(WallProject* project) {
    project_ = project;
}

WallLook SettingPage::panelLook() const {
    WallLook look = project_ ? project_->look() : WallLook();
    look.backgroundFile = ui_->lineEdit_file->text();
    look.logoFile = ui_->lineEdit_logoFile->text();
    look.logoLink = ui_->lineEdit_link->text();
    look.pureColor = pureColour_.name();
    look.gradientStart = startColour_.name();
    look.gradientEnd = endColour_.name();
    look.angle = QString::number(ui_->spinBox_angle->value());
    look.mode = mode_;
    look.position = ui_->comboBox_position->currentIndex();
    look.logoHidden = ui_->checkBox_showLogo->isChecked();
    look.autoplaySeconds = ui_->spinBox_autoplay->value();
    look.rightToLeft = ui_->comboBox_direction->currentIndex() == kRightToLeft;
    return look;
}

void SettingPage::showLook(const WallLook& look) {
    ui_->lineEdit_file->setText(look.backgroundFile);
    ui_->lineEdit_logoFile->setText(look.logoFile);
    ui_->lineEdit_link->setText(look.logoLink);
    // Long values show from their start, not cut off at their first letters.
    for (QLineEdit* field : {ui_->lineEdit_file, ui_->lineEdit_logoFile, ui_->lineEdit_link}) {
        field->setCursorPosition(0);
    }
    pureColour_ = QColor(look.pureColor);
    startColour_ = QColor(look.gradientStart);
    endColour_ = QColor(look.gradientEnd);
    showSwatch(ui_->lineEdit_color, pureColour_);
    showSwatch(ui_->lineEdit_starColor, startColour_);
    showSwatch(ui_->lineEdit_endColor, endColour_);
    // An angle the settings file holds that is no number from 0 to 360 shows as the nearest one.
    ui_->spinBox_angle->setValue(std::clamp(look.angle.trimmed().toInt(), 0, 360));
    setBackgroundMode(look.mode);
    ui_->comboBox_position->setCurrentIndex(look.position);
    ui_->checkBox_showLogo->setChecked(look.logoHidden);
    ui_->spinBox_autoplay->setValue(look.autoplaySeconds);
    ui_->comboBox_direction->setCurrentIndex(look.rightToLeft ? kRightToLeft : kLeftToRight);
}

void SettingPage::commit() {
    if (project_) {
        project_->setLook(panelLook());
    }
}

void SettingPage::useTemplate(const QString& picture) {
    setBackgroundMode(BackgroundMode::Image);
    ui_->comboBox_position->setCurrentIndex(1);
    ui_->lineEdit_file->setText(picture);
    emit applyRequested();
}

bool SettingPage::isWideScreen() const {
    return ui_->comboBox_screen->currentIndex() == 1;
}

QToolButton* SettingPage::applyButton() const {
    return ui_->toolButton_applay;
}

QToolButton* SettingPage::buttonsButton() const {
    return ui_->toolButton_buttons;
}

QToolButton* SettingPage::bookInfoButton() const {
    return ui_->toolButton_bookInfo;
}

QWidget* SettingPage::panel() const {
    return ui_->widget_panel;
}

void SettingPage::setBackgroundMode(BackgroundMode mode) {
    mode_ = mode;
    imageEntry_->setEnabled(mode != BackgroundMode::Image);
    pureEntry_->setEnabled(mode != BackgroundMode::PureColor);
    gradientEntry_->setEnabled(mode != BackgroundMode::Gradient);
    ui_->comboBox_background->setCurrentIndex(static_cast<int>(mode));
    QWidget* pages[] = {ui_->page_image, ui_->page_pureColor, ui_->page_gradientColor};
    ui_->stackedWidget_background->setCurrentWidget(pages[static_cast<int>(mode)]);
}

void SettingPage::imageAction() {
    setBackgroundMode(BackgroundMode::Image);
}

void SettingPage::pureAction() {
    setBackgroundMode(BackgroundMode::PureColor);
}

void SettingPage::gradientAction() {
    setBackgroundMode(BackgroundMode::Gradient);
}

void SettingPage::on_toolButton_file_clicked() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Open File"), lastBackgroundFolder_,
                                                      tr("Image (*.png *.jpg)"));
    if (file.isEmpty()) {
        return;
    }
    lastBackgroundFile_ = file;
    lastBackgroundFolder_ = folderOf(file);
    ui_->lineEdit_file->setText(file);
    emit applyRequested();
}

void SettingPage::on_browseLogo_click() {
    const QString file = QFileDialog::getOpenFileName(this, tr("Open File"), lastLogoFolder_,
                                                      tr("Logo File (*.png *.jpg)"));
    if (file.isEmpty()) {
        return;
    }
    lastLogoFile_ = file;
    lastLogoFolder_ = folderOf(file);
    ui_->lineEdit_logoFile->setText(file);
}

bool SettingPage::pickColour(QColor& colour, QLineEdit* swatch) {
    // The dialog opens at the colour it changes, over the window.
    const QColor chosen = QColorDialog::getColor(colour, window());
    if (!chosen.isValid()) {
        return false;
    }
    colour = chosen;
    showSwatch(swatch, colour);
    return true;
}

void SettingPage::on_toolButton_color_clicked() {
    if (pickColour(pureColour_, ui_->lineEdit_color)) {
        emit applyRequested();
    }
}

// A picked gradient colour shows on the wall at once, as a picked picture or pure colour does.
void SettingPage::on_toolButton_startColor_clicked() {
    if (pickColour(startColour_, ui_->lineEdit_starColor)) {
        emit applyRequested();
    }
}

void SettingPage::on_toolButton_endColor_clicked() {
    if (pickColour(endColour_, ui_->lineEdit_endColor)) {
        emit applyRequested();
    }
}
