#include "dialogs/about.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_about.h"
#include "app/window_chrome.h"

#include <QDate>
#include <QDebug>
#include <QPixmap>
#include <QTimer>

About::About(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::About>()), fadeTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, nullptr, nullptr, QStringLiteral("Aboutbg.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.png"))));
    ui_->label_2->setText(
        tr("Copyright %1 Quorvex. All rights reserved.").arg(QDate::currentDate().year()));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(380, -2, 17, 17),
                                    tr("Close"));
    connect(close_, &myLabel::labelClick, this, &About::on_close_click);
    new WindowDragger(this, ui_->label_title, {close_});
    fade_ = new DialogFade(this, fadeTimer_);
    connect(fadeTimer_, &QTimer::timeout, this, &About::aboutSlot);
    setWindowOpacity(0.0);
}

About::~About() = default;

void About::showDialog() {
    fade_->fadeIn();
}

void About::aboutSlot() {
    fade_->tick();
}

void About::on_close_click() {
    fade_->fadeOut();
    qDebug() << "closeAbout***********";
    emit aboutClose();
}
