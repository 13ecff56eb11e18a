#include "app/frameless_window.h"

#include "app/window_chrome.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kLeftEdgeStep = 10;
constexpr int kTopEdgeStep = 5;

// Moves one edge towards the pointer in whole steps; shrinking stops at the minimum extent.
int steppedEdgeShift(int offset, int step, int extent, int minimum) {
    int shift = 0;
    while (offset <= -step) {
        shift -= step;
        offset += step;
    }
    while (offset >= step && extent - shift - step >= minimum) {
        shift += step;
        offset -= step;
    }
    return shift;
}

} // namespace

FramelessWindow::FramelessWindow(int radius, QWidget* parent)
    : QMainWindow(parent), radius_(radius), fadeTimer_(new QTimer(this)),
      fade_(new DialogFade(this, fadeTimer_)) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    setWindowOpacity(0.0);
}

void FramelessWindow::fadeIn() {
    fade_->fadeIn();
}

void FramelessWindow::fadeStep() {
    fade_->tick();
}

void FramelessWindow::reshape() {
    chrome::applyRoundedMask(this, radius_);
}

void FramelessWindow::centreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

void FramelessWindow::setEdgeStrips(QWidget* left, QWidget* right, QWidget* top, QWidget* bottom) {
    strips_[0] = left;
    strips_[1] = right;
    strips_[2] = top;
    strips_[3] = bottom;
    for (QWidget* strip : {left, right}) {
        strip->setCursor(Qt::SizeHorCursor);
    }
    for (QWidget* strip : {top, bottom}) {
        strip->setCursor(Qt::SizeVerCursor);
    }
}

void FramelessWindow::mousePressEvent(QMouseEvent* event) {
    QMainWindow::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !canResize()) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    const Edge edges[] = {Edge::Left, Edge::Right, Edge::Top, Edge::Bottom};
    for (int i = 0; i < 4; ++i) {
        if (strips_[i] && strips_[i]->geometry().contains(pos)) {
            edge_ = edges[i];
            edgePress_ = pos;
            return;
        }
    }
}

void FramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    QMainWindow::mouseMoveEvent(event);
    if (edge_ != Edge::None && resizeByEdge(event->globalPosition().toPoint())) {
        edgeMoved();
    }
}

void FramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    QMainWindow::mouseReleaseEvent(event);
    edge_ = Edge::None;
}

bool FramelessWindow::resizeByEdge(const QPoint& globalPos) {
    QRect frame = geometry();
    const QSize minimum = minimumSize();
    switch (edge_) {
    case Edge::Right:
        frame.setWidth(
            std::max(minimum.width(), globalPos.x() - frame.x() + (width() - edgePress_.x())));
        break;
    case Edge::Bottom:
        frame.setHeight(
            std::max(minimum.height(), globalPos.y() - frame.y() + (height() - edgePress_.y())));
        break;
    case Edge::Left:
        frame.setLeft(frame.left() + steppedEdgeShift(globalPos.x() - (frame.x() + edgePress_.x()),
                                                      kLeftEdgeStep, frame.width(),
                                                      minimum.width()));
        break;
    case Edge::Top:
        frame.setTop(frame.top() + steppedEdgeShift(globalPos.y() - (frame.y() + edgePress_.y()),
                                                    kTopEdgeStep, frame.height(),
                                                    minimum.height()));
        break;
    case Edge::None:
        return false;
    }
    if (frame == geometry()) {
        return false;
    }
    setGeometry(frame);
    return true;
}
