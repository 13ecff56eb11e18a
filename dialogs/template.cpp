#include "dialogs/template.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_template.h"
#include "app/window_chrome.h"

#include <QPixmap>
#include <QTimer>

Template::Template(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::Template>()), slideTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, ui_->label_icom, ui_->label_3,
                QStringLiteral("bg_template.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("template.png"))));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(570, 0, 25, 25),
                                    tr("Close"));
    connect(close_, &myLabel::labelClick, this, &Template::on_close_click);
    new WindowDragger(this, ui_->label_title, {close_});
    slide_ = new DialogRoll(this, slideTimer_, RollSteps{kSlidePeriodMs, 10, 19});
    connect(slideTimer_, &QTimer::timeout, this, &Template::showSlot);
}

Template::~Template() = default;

void Template::showDialog() {
    slide_->open();
}

int Template::fullHeight() const {
    return slide_->fullHeight();
}

void Template::showSlot() {
    slide_->tick();
}

void Template::on_close_click() {
    slide_->close();
    emit templateClose();
}
