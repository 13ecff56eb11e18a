#include "publish/advanced.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/window_chrome.h"
#include "publish/publish_output.h"
#include "ui_advanced.h"
#include "wall/remembered_values.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QPixmap>

namespace {

const QString kModeMax = QStringLiteral("max");
const QString kModeFull = QStringLiteral("full");
const QString kModeCustom = QStringLiteral("custom");

RememberedValues& remembered() {
    return RememberedValues::shared();
}

} // namespace

Advanced::Advanced(QWidget* parent)
    : FramelessDialog(Motion::Fade, kFadePeriodMs, parent), ui_(std::make_unique<Ui::Advanced>()),
      currentIcon_(chrome::skinPath(QStringLiteral("icon.ico"))), chosenIcon_(currentIcon_) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_8, QStringLiteral("Aboutbg.png"));
    setAttribute(Qt::WA_TranslucentBackground);
    setUpFrame({kRadius, ui_->label_bg, QRect(370, 0, 25, 25)});

    myLabel* ok = addButton(QStringLiteral("OK.png"), QRect(262, 230, 60, 25), tr("OK"));
    connect(ok, &myLabel::labelClick, this, &Advanced::on_ok_click);
    setMainButton(ok);
    connect(addButton(QStringLiteral("cancel.png"), QRect(330, 230, 60, 25), tr("Cancel")),
            &myLabel::labelClick, this, &Advanced::on_cancel_click);

    iconPreview_ = new QLabel(ui_->widget_exeInfo);
    iconPreview_->setGeometry(63, 67, 30, 30);
    iconPreview_->setScaledContents(true);
    myLabel* openIcon = chrome::addImageButton(ui_->widget_exeInfo, QStringLiteral("openicon.png"),
                                               QRect(100, 65, 40, 25), tr("Open Icon"));
    connect(openIcon, &myLabel::labelClick, this, &Advanced::on_openIcon_click);
    myLabel* defaultIcon = chrome::addImageButton(
        ui_->widget_exeInfo, QStringLiteral("default.png"), QRect(140, 65, 50, 25), tr("Default"));
    connect(defaultIcon, &myLabel::labelClick, this, &Advanced::on_defaultIcon_click);

    showIcon(currentIcon_);
    setSizeFieldsEnabled(false);
    selectPage(true);
}

Advanced::~Advanced() = default;

void Advanced::readAdvanceSetting(const QString& path) {
    settingsPath_ = path;
    qDebug() << "readAdvanceSetting" << path;
    remembered().load(path);
    const HtmlMeta meta = rememberedBook(remembered()).meta;
    ui_->lineEdit_title->setText(meta.title);
    ui_->lineEdit_keywords->setText(meta.keywords);
    ui_->lineEdit_description->setText(meta.description);
    ui_->lineEdit_caption->setText(remembered().value(SlotExeCaption));
    ui_->lineEdit_width->setText(remembered().value(SlotExeWidth));
    ui_->lineEdit_height->setText(remembered().value(SlotExeHeight));
    if (!remembered().value(SlotExeIcon).isEmpty()) {
        currentIcon_ = remembered().value(SlotExeIcon);
        chosenIcon_ = currentIcon_;
    }
    showIcon(currentIcon_);
    const QString mode = remembered().value(SlotExeWindowMode);
    if (mode == kModeMax || mode == kModeFull || mode == kModeCustom) {
        ui_->radioButton_max->setChecked(mode == kModeMax);
        ui_->radioButton_full->setChecked(mode == kModeFull);
        ui_->radioButton_custom->setChecked(mode == kModeCustom);
        setSizeFieldsEnabled(mode == kModeCustom);
    }
}

void Advanced::selectPage(bool html) {
    ui_->widget_html->setVisible(html);
    ui_->widget_exeInfo->setVisible(!html);
    ui_->widget_exeOption->setVisible(!html);
}

HtmlMeta Advanced::htmlMeta() const {
    return {ui_->lineEdit_title->text(), ui_->lineEdit_keywords->text(),
            ui_->lineEdit_description->text()};
}

void Advanced::on_radioButton_max_clicked(bool checked) {
    if (checked) {
        remembered().setValue(SlotExeWindowMode, kModeMax);
        setSizeFieldsEnabled(false);
    }
}

void Advanced::on_radioButton_full_clicked(bool checked) {
    if (checked) {
        remembered().setValue(SlotExeWindowMode, kModeFull);
        setSizeFieldsEnabled(false);
    }
}

void Advanced::on_radioButton_custom_clicked(bool checked) {
    if (checked) {
        remembered().setValue(SlotExeWindowMode, kModeCustom);
        setSizeFieldsEnabled(true);
    }
}

void Advanced::advancedSlot() {
    showSlot();
}

void Advanced::on_close_click() {
    startClosing();
}

void Advanced::on_ok_click() {
    startClosing();
    currentIcon_ = chosenIcon_;
    remembered().setValue(SlotHtmlTitle, ui_->lineEdit_title->text());
    remembered().setValue(SlotHtmlKeywords, ui_->lineEdit_keywords->text());
    remembered().setValue(SlotHtmlDescription, ui_->lineEdit_description->text());
    remembered().setValue(SlotExeCaption, ui_->lineEdit_caption->text());
    remembered().setValue(SlotExeWidth, ui_->lineEdit_width->text());
    remembered().setValue(SlotExeHeight, ui_->lineEdit_height->text());
    remembered().setValue(SlotExeIcon, currentIcon_);
    if (!settingsPath_.isEmpty()) {
        remembered().save(settingsPath_);
    }
}

void Advanced::on_cancel_click() {
    startClosing();
}

void Advanced::on_openIcon_click() {
    const QString icon = QFileDialog::getOpenFileName(this, tr("Open Directory"), lastIconFolder_,
                                                      tr("Icon (*.ico)"));
    if (icon.isEmpty()) {
        return;
    }
    lastIconFolder_ = QFileInfo(icon).absolutePath();
    chosenIcon_ = icon;
    showIcon(chosenIcon_);
}

void Advanced::on_defaultIcon_click() {
    chosenIcon_ = currentIcon_;
    showIcon(currentIcon_);
}

void Advanced::prepareOpening() {
    selectPage(true);
}

void Advanced::setSizeFieldsEnabled(bool enabled) {
    ui_->lineEdit_width->setEnabled(enabled);
    ui_->lineEdit_height->setEnabled(enabled);
}

void Advanced::showIcon(const QString& path) {
    iconPreview_->setPixmap(QPixmap(path));
}
