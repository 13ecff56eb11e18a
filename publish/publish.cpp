#include "publish/publish.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_publish.h"
#include "app/window_chrome.h"

#include <QTimer>

Publish::Publish(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Publish>()), rollTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_Title,
                QStringLiteral("Aboutbg.png"));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(490, 0, 25, 25),
                                    tr("Close"));
    connect(close_, &myLabel::labelClick, this, &Publish::on_close_click);
    new WindowDragger(this, ui_->label_bg, {close_});
    roll_ = new DialogRoll(this, rollTimer_, RollSteps{kRollPeriodMs, 10, 19});
    connect(rollTimer_, &QTimer::timeout, this, &Publish::showSlot);
}

Publish::~Publish() = default;

void Publish::loadSettings(const QString& path) {
    settingsPath_ = path;
}

void Publish::setPosition(int x, int y) {
    roll_->setPosition(x, y);
}

int Publish::fullHeight() const {
    return roll_->fullHeight();
}

void Publish::showDialog() {
    roll_->open();
}

void Publish::showSlot() {
    roll_->tick();
}

void Publish::on_close_click() {
    roll_->close();
    emit publishClose();
}
