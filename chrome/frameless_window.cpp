#include "chrome/frameless_window.h"

#include "chrome/window_chrome.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

constexpr int kLeftEdgeStep = 10;
constexpr int kTopEdgeStep = 5;
// How far from a corner a frame strip moves both edges that meet there.
constexpr int kCornerReach = 16;

Qt::CursorShape edgeCursor(Qt::Edges edges) {
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge)) {
        return Qt::SizeFDiagCursor;
    }
    if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge)) {
        return Qt::SizeBDiagCursor;
    }
    return edges & (Qt::LeftEdge | Qt::RightEdge) ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

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
    for (QWidget* strip : strips_) {
        // The pointer's shape follows it along the strip, diagonal near the corners.
        strip->setMouseTracking(true);
        strip->installEventFilter(this);
        strip->setCursor(edgeCursor(edgesAt(strip->geometry().center())));
    }
}

Qt::Edges FramelessWindow::edgesAt(const QPoint& pos) const {
    const bool onStrip = std::any_of(std::begin(strips_), std::end(strips_), [&pos](QWidget* s) {
        return s && s->isVisible() && s->geometry().contains(pos);
    });
    if (!onStrip) {
        return {};
    }
    Qt::Edges edges;
    const struct {
        QWidget* strip;
        bool nearEdge;
        Qt::Edge edge;
    } sides[] = {{strips_[0], pos.x() < kCornerReach, Qt::LeftEdge},
                 {strips_[1], pos.x() >= width() - kCornerReach, Qt::RightEdge},
                 {strips_[2], pos.y() < kCornerReach, Qt::TopEdge},
                 {strips_[3], pos.y() >= height() - kCornerReach, Qt::BottomEdge}};
    for (const auto& side : sides) {
        if (side.strip && (side.nearEdge || side.strip->geometry().contains(pos))) {
            edges |= side.edge;
        }
    }
    return edges;
}

bool FramelessWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* strip = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::MouseMove && strip && edges_ == Qt::Edges()) {
        const QPoint pos =
            strip->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint());
        if (const Qt::Edges edges = edgesAt(pos); edges != Qt::Edges()) {
            strip->setCursor(edgeCursor(edges));
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void FramelessWindow::mousePressEvent(QMouseEvent* event) {
    QMainWindow::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !canResize()) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    const Qt::Edges edges = edgesAt(pos);
    if (edges == Qt::Edges()) {
        return;
    }
    // A window manager resizes a frameless window only when asked to do it itself; without one
    // (or where it refuses), the window follows the pointer on its own.
    if (windowHandle() && windowHandle()->startSystemResize(edges)) {
        return;
    }
    edges_ = edges;
    edgePress_ = pos;
}

void FramelessWindow::mouseMoveEvent(QMouseEvent* event) {
    QMainWindow::mouseMoveEvent(event);
    if (edges_ != Qt::Edges() && resizeByEdges(event->globalPosition().toPoint())) {
        edgeMoved();
    }
}

void FramelessWindow::mouseReleaseEvent(QMouseEvent* event) {
    QMainWindow::mouseReleaseEvent(event);
    edges_ = {};
}

bool FramelessWindow::resizeByEdges(const QPoint& globalPos) {
    QRect frame = geometry();
    const QSize minimum = minimumSize();
    if (edges_ & Qt::RightEdge) {
        frame.setWidth(
            std::max(minimum.width(), globalPos.x() - frame.x() + (width() - edgePress_.x())));
    }
    if (edges_ & Qt::BottomEdge) {
        frame.setHeight(
            std::max(minimum.height(), globalPos.y() - frame.y() + (height() - edgePress_.y())));
    }
    if (edges_ & Qt::LeftEdge) {
        frame.setLeft(frame.left() + steppedEdgeShift(globalPos.x() - (frame.x() + edgePress_.x()),
                                                      kLeftEdgeStep, frame.width(),
                                                      minimum.width()));
    }
    if (edges_ & Qt::TopEdge) {
        frame.setTop(frame.top() + steppedEdgeShift(globalPos.y() - (frame.y() + edgePress_.y()),
                                                    kTopEdgeStep, frame.height(),
                                                    minimum.height()));
    }
    if (frame == geometry()) {
        return false;
    }
    setGeometry(frame);
    return true;
}
