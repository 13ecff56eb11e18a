#include "share/upload.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_upload.h"
#include "app/window_chrome.h"

#include <QTimer>

upLoad::upLoad(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::upLoad>()), slideTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_caption,
                QStringLiteral("bg_upload.png"));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(470, 0, 25, 25),
                                    tr("Close"));
    connect(close_, &myLabel::labelClick, this, &upLoad::on_close_click);
    new WindowDragger(this, ui_->label_bg, {close_});
    slide_ = new DialogRoll(this, slideTimer_, RollSteps{kSlidePeriodMs, 10, 19});
    connect(slideTimer_, &QTimer::timeout, this, &upLoad::showSlot);
}

upLoad::~upLoad() = default;

void upLoad::showDialog() {
    slide_->open();
}

int upLoad::fullHeight() const {
    return slide_->fullHeight();
}

void upLoad::showSlot() {
    slide_->tick();
}

void upLoad::on_close_click() {
    slide_->close();
    emit upLoadClose();
}
