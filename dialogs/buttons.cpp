#include "dialogs/buttons.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_buttons.h"
#include "app/window_chrome.h"

#include <QTimer>

Buttons::Buttons(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Buttons>()), rollTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label, QStringLiteral("Aboutbg.png"));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(275, 0, 18, 18),
                                    tr("Close"));
    ok_ = chrome::addImageButton(this, QStringLiteral("OK.png"), QRect(140, 160, 60, 25), tr("OK"));
    cancel_ = chrome::addImageButton(this, QStringLiteral("cancel.png"), QRect(210, 160, 60, 25),
                                     tr("Cancel"));
    connect(close_, &myLabel::labelClick, this, &Buttons::on_close_click);
    connect(cancel_, &myLabel::labelClick, this, &Buttons::on_close_click);
    connect(ok_, &myLabel::labelClick, this, &Buttons::on_ok_click);

    new WindowDragger(this, ui_->label_bg, {close_});
    roll_ = new DialogRoll(this, rollTimer_, RollSteps{kRollPeriodMs, 10, 19});
    connect(rollTimer_, &QTimer::timeout, this, &Buttons::showSlot);
}

Buttons::~Buttons() = default;

void Buttons::setPosition(int x, int y) {
    roll_->setPosition(x, y);
}

int Buttons::fullHeight() const {
    return roll_->fullHeight();
}

void Buttons::showDialog() {
    openedShare_ = ui_->checkBox_share->checkState();
    openedInfo_ = ui_->checkBox_info->checkState();
    roll_->open();
}

bool Buttons::infoHidden() const {
    return ui_->checkBox_info->isChecked();
}

bool Buttons::shareHidden() const {
    return ui_->checkBox_share->isChecked();
}

void Buttons::setHidden(bool info, bool share) {
    ui_->checkBox_info->setChecked(info);
    ui_->checkBox_share->setChecked(share);
}

void Buttons::on_checkBox_share_clicked(bool checked) {
    if (!checked) {
        ui_->checkBox->setChecked(false);
    }
}

void Buttons::on_checkBox_info_clicked(bool checked) {
    if (!checked) {
        ui_->checkBox->setChecked(false);
    }
}

void Buttons::on_checkBox_clicked(bool checked) {
    ui_->checkBox_info->setChecked(checked);
    ui_->checkBox_share->setChecked(checked);
}

void Buttons::showSlot() {
    roll_->tick();
}

void Buttons::on_close_click() {
    ui_->checkBox_share->setCheckState(openedShare_);
    ui_->checkBox_info->setCheckState(openedInfo_);
    roll_->close();
    emit buttonClose();
}

void Buttons::on_ok_click() {
    roll_->close();
    emit setButtons();
    emit buttonClose();
}
