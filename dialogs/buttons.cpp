#include "dialogs/buttons.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "ui_buttons.h"

Buttons::Buttons(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui_(std::make_unique<Ui::Buttons>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label, QStringLiteral("Aboutbg.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(275, 0, 18, 18)});
    myLabel* ok = addButton(QStringLiteral("OK.png"), QRect(140, 160, 60, 25), tr("OK"));
    myLabel* cancel =
        addButton(QStringLiteral("cancel.png"), QRect(210, 160, 60, 25), tr("Cancel"));
    connect(cancel, &myLabel::labelClick, this, &Buttons::on_close_click);
    setMainButton(ok);
    connect(ok, &myLabel::labelClick, this, &Buttons::on_ok_click);
}

Buttons::~Buttons() = default;

void Buttons::prepareOpening() {
    openedShare_ = ui_->checkBox_share->checkState();
    openedInfo_ = ui_->checkBox_info->checkState();
}

HiddenButtons Buttons::hidden() const {
    return {ui_->checkBox_info->isChecked(), ui_->checkBox_share->isChecked()};
}

void Buttons::setHidden(const HiddenButtons& hidden) {
    ui_->checkBox_info->setChecked(hidden.info);
    ui_->checkBox_share->setChecked(hidden.share);
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

void Buttons::on_close_click() {
    ui_->checkBox_share->setCheckState(openedShare_);
    ui_->checkBox_info->setCheckState(openedInfo_);
    startClosing();
    emit buttonClose();
}

void Buttons::on_ok_click() {
    startClosing();
    emit setButtons(hidden());
    emit buttonClose();
}
