#include "chrome/mylabel.h"

#include <QMouseEvent>
#include <QPixmap>

myLabel::myLabel(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setMargin(kBaseMargin);
    setScaledContents(true);
}

void myLabel::setPicture(const QString& path) {
    imagePath_ = path;
    showNormalPicture();
}

void myLabel::setActive(bool active) {
    if (active_ && !active) {
        activeCursor_ = cursor();
        setCursor(Qt::ArrowCursor);
    } else if (!active_ && active) {
        setCursor(activeCursor_);
    }
    active_ = active;
    pressed_ = false;
    showNormalPicture();
    setMargin(kBaseMargin);
}

void myLabel::showNormalPicture() {
    setPixmap(QPixmap(imagePath_));
}

void myLabel::showHoverPicture() {
    setPixmap(QPixmap(imagePath_ + ".png"));
}

void myLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    if (!active_) {
        return;
    }
    showHoverPicture();
    setMargin(0);
    emit labelEnter();
}

void myLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    if (!active_) {
        return;
    }
    showNormalPicture();
    setMargin(kBaseMargin);
    pressed_ = false;
}

void myLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (!active_ || event->button() != Qt::LeftButton) {
        return;
    }
    setMargin(2 * kBaseMargin);
    pressed_ = true;
}

void myLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (!active_ || event->button() != Qt::LeftButton) {
        return;
    }
    setMargin(0);
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click) {
        showNormalPicture();
        // Last: a slot may hide, disable or delete the label.
        emit labelClick();
    }
}

void myLabel::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (!active_ || !pressed_ || rect().contains(event->position().toPoint())) {
        return;
    }
    showNormalPicture();
    setMargin(kBaseMargin);
    pressed_ = false;
}
