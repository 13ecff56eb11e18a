#include "chrome/mymessgebox.h"

#include "chrome/mylabel.h"
#include "chrome/window_chrome.h"
#include "ui_mymessgebox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>

namespace {

constexpr int kTextRightMargin = 8;

} // namespace

MymessgeBox::MymessgeBox(QWidget* parent) : QWidget(parent), ui_(new Ui::MymessgeBox) {
    ui_->setupUi(this);
    chrome::makeFrameless(this);
    ui_->label_bg->setPixmap(QPixmap(chrome::skinPath("messgeBox.png")));
    ui_->label_pixmap->setPixmap(QPixmap(chrome::skinPath("warning.png")));

    close_ = chrome::addImageButton(this, "close.png", QRect(278, 0, 15, 15), tr("Close"));
    connect(close_, &myLabel::labelClick, this, &MymessgeBox::cancelSlot);

    ok_ = chrome::addImageButton(this, "ok.png", QRect(70, 70, 60, 25), tr("OK"));
    ok_->setMargin(1);
    connect(ok_, &myLabel::labelClick, this, &MymessgeBox::okSlot);

    chrome::applyRoundedMask(this, kRadius);
    new WindowDragger(this, ui_->label_title, {close_});
}

MymessgeBox::~MymessgeBox() = default;

void MymessgeBox::setTitle(const QString& text, int x, int y, int w, int h) {
    ui_->label_titleText->setText(text);
    ui_->label_titleText->setGeometry(x, y, w, h);
    setWindowTitle(text);
}

void MymessgeBox::setTitleIcon(const QString& path, int x, int y, int w, int h) {
    ui_->label_titleIcon->setPixmap(QPixmap(path));
    ui_->label_titleIcon->setGeometry(x, y, w, h);
}

void MymessgeBox::setIcon(const QString& path, int x, int y, int w, int h) {
    ui_->label_pixmap->setPixmap(QPixmap(path));
    ui_->label_pixmap->setGeometry(x, y, w, h);
}

void MymessgeBox::setText(const QString& text, int x, int y, int w, int h) {
    ui_->label_text->setText(text);
    ui_->label_text->setGeometry(x, y, std::min(w, width() - kTextRightMargin - x), h);
}

void MymessgeBox::setOkImage(const QString& path, int x, int y, int w, int h) {
    ok_->setPicture(path);
    ok_->setGeometry(x, y, w, h);
}

void MymessgeBox::showNotice(const QString& title, const QString& text, QPoint textOrigin) {
    setTitle(title, 25, 0, 211, 16);
    setIcon(chrome::skinPath("warning.png"), 10, 20, 51, 51);
    setOkImage(chrome::skinPath("OK.png"), 130, 80, 50, 20);
    setText(text, textOrigin.x(), textOrigin.y(), 361, 51);
    show();
}

void MymessgeBox::okSlot() {
    result_ = true;
    emit okSignal();
    close();
}

void MymessgeBox::cancelSlot() {
    result_ = false;
    emit cancelSignal();
    close();
}

void MymessgeBox::showEvent(QShowEvent* event) {
    // A box nobody placed appears over the window the user is working in.
    if (!testAttribute(Qt::WA_Moved)) {
        const QWidget* over = QApplication::activeWindow();
        const QRect area = over && over != this
                               ? over->geometry()
                               : (screen() ? screen()->availableGeometry() : QRect());
        if (area.isValid()) {
            move(area.center() - rect().center());
        }
    }
    QWidget::showEvent(event);
}

void MymessgeBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        okSlot();
        return;
    case Qt::Key_Escape:
        cancelSlot();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
