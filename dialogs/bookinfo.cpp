#include "dialogs/bookinfo.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/window_chrome.h"
#include "ui_bookinfo.h"

#include <QDebug>

BookInfo::BookInfo(QWidget* parent)
    : FramelessDialog(Motion::Roll, kRollPeriodMs, parent), ui_(std::make_unique<Ui::BookInfo>()) {
    ui_->setupUi(this);
    chrome::allowLongText(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_11, QStringLiteral("Aboutbg.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(370, 0, 25, 25)});
    myLabel* ok = addButton(QStringLiteral("OK.png"), QRect(243, 270, 60, 25), tr("OK"));
    myLabel* cancel =
        addButton(QStringLiteral("cancel.png"), QRect(313, 270, 60, 25), tr("Cancel"));
    connect(cancel, &myLabel::labelClick, this, &BookInfo::on_close_click);
    setMainButton(ok);
    connect(ok, &myLabel::labelClick, this, &BookInfo::on_ok_click);
}

BookInfo::~BookInfo() = default;

void BookInfo::on_close_click() {
    startClosing();
    emit bookInfoClose();
}

void BookInfo::on_ok_click() {
    startClosing();
    emit bookInfoOk(details());
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
