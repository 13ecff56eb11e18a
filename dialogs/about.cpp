#include "dialogs/about.h"

#include "app/dialog_look.h"
#include "app/window_chrome.h"
#include "ui_about.h"

#include <QDate>
#include <QDebug>
#include <QPixmap>

About::About(QWidget* parent)
    : FramelessDialog(Motion::Fade, kFadePeriodMs, parent), ui_(std::make_unique<Ui::About>()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, nullptr, nullptr, QStringLiteral("Aboutbg.png"));
    ui_->label_icon->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.png"))));
    ui_->label_2->setText(
        tr("Copyright %1 Quorvex. All rights reserved.").arg(QDate::currentDate().year()));
    setUpFrame({kRadius, ui_->label_title, QRect(380, -2, 17, 17)});
}

About::~About() = default;

void About::aboutSlot() {
    showSlot();
}

void About::on_close_click() {
    startClosing();
    qDebug() << "closeAbout***********";
    emit aboutClose();
}
