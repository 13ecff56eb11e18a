#include "dialogs/bookinfo.h"

#include "dialogs/dialog_look.h"
#include "app/mylabel.h"
#include "ui_bookinfo.h"
#include "app/window_chrome.h"

#include <QDebug>
#include <QTimer>

BookInfo::BookInfo(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::BookInfo>()), rollTimer_(new QTimer(this)) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_11, QStringLiteral("Aboutbg.png"));
    chrome::applyRoundedMask(this, kRadius);

    close_ = chrome::addImageButton(this, QStringLiteral("close.png"), QRect(370, 0, 25, 25),
                                    tr("Close"));
    ok_ = chrome::addImageButton(this, QStringLiteral("OK.png"), QRect(243, 270, 60, 25), tr("OK"));
    cancel_ = chrome::addImageButton(this, QStringLiteral("cancel.png"), QRect(313, 270, 60, 25),
                                     tr("Cancel"));
    connect(close_, &myLabel::labelClick, this, &BookInfo::on_close_click);
    connect(cancel_, &myLabel::labelClick, this, &BookInfo::on_close_click);
    connect(ok_, &myLabel::labelClick, this, &BookInfo::on_ok_click);

    new WindowDragger(this, ui_->label_bg, {close_});
    roll_ = new DialogRoll(this, rollTimer_, RollSteps{kRollPeriodMs, 10, 19});
    connect(rollTimer_, &QTimer::timeout, this, &BookInfo::showSlot);
}

BookInfo::~BookInfo() = default;

void BookInfo::setPosition(int x, int y) {
    roll_->setPosition(x, y);
}

int BookInfo::fullHeight() const {
    return roll_->fullHeight();
}

void BookInfo::showDialog() {
    roll_->open();
}

void BookInfo::showSlot() {
    roll_->tick();
}

void BookInfo::on_close_click() {
    roll_->close();
    emit bookInfoClose();
}

void BookInfo::on_ok_click() {
    roll_->close();
    emit bookInfoOk();
    qDebug() << "on_ok_click";
    emit bookInfoClose();
}

BookDetails BookInfo::details() const {
    return {ui_->lineEdit_bookTitle->text(), ui_->lineEdit_Email->text(),
            ui_->lineEdit_WebSite->text(), ui_->lineEdit_display->text(),
            ui_->textEdit_discrption->toPlainText()};
}

void BookInfo::setDetails(const BookDetails& details) {
    ui_->lineEdit_bookTitle->setText(details.title);
    ui_->lineEdit_Email->setText(details.email);
    ui_->lineEdit_WebSite->setText(details.webSite);
    ui_->lineEdit_display->setText(details.displayName);
    ui_->textEdit_discrption->setPlainText(details.description);
}
