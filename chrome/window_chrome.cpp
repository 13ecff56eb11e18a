#include "chrome/window_chrome.h"

#include "chrome/mylabel.h"
#include "wall/locations.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <limits>

namespace {

// A step of 0.1 reaches 1.0 only up to rounding; this keeps a fade at exactly ten ticks.
constexpr double kOpacityEpsilon = 1e-6;

// The dialog's own timer, or one of the animation's that drives tick() directly.
template <typename Animation> QTimer* timerFor(Animation* animation, QTimer* given) {
    if (given) {
        return given;
    }
    auto* timer = new QTimer(animation);
    QObject::connect(timer, &QTimer::timeout, animation, &Animation::tick);
    return timer;
}

} // namespace

namespace chrome {

QBitmap roundedMask(const QSize& size, int radius) {
    QBitmap mask(size);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(QPoint(0, 0), size), radius, radius);
    return mask;
}

void applyRoundedMask(QWidget* window, int radius) {
    window->setMask(roundedMask(window->size(), radius));
}

void makeFrameless(QWidget* window, bool modal) {
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    window->setAttribute(Qt::WA_ShowModal, modal);
}

void allowLongText(QWidget* window) {
    const QList<QLineEdit*> fields = window->findChildren<QLineEdit*>();
    for (QLineEdit* field : fields) {
        field->setMaxLength(std::numeric_limits<int>::max());
    }
}

QString skinPath(const QString& name) {
    return skinFolder() + name;
}

myLabel* addImageButton(QWidget* parent, const QString& image, const QRect& geometry,
                        const QString& tip) {
    auto* button = new myLabel(parent);
    button->setPicture(skinPath(image));
    button->setGeometry(geometry);
    button->setToolTip(tip);
    button->setCursor(Qt::PointingHandCursor);
    button->show();
    return button;
}

QString openOutside(const QUrl& url) {
    if (QDesktopServices::openUrl(url)) {
        return QString();
    }
    const QString address = url.isLocalFile() ? url.toLocalFile() : url.toString();
    return QObject::tr("No browser or file manager could be started. Open this address "
                       "yourself:\n%1")
        .arg(address);
}

} // namespace chrome

WindowDragger::WindowDragger(QWidget* window, QWidget* area, QList<QWidget*> excluded)
    : QObject(window), window_(window), area_(area), excluded_(std::move(excluded)) {
    window->installEventFilter(this);
}

bool WindowDragger::startsDrag(const QPoint& windowPos) const {
    const auto covers = [&](const QWidget* widget) {
        return QRect(widget->mapTo(window_, QPoint(0, 0)), widget->size()).contains(windowPos);
    };
    if (!covers(area_)) {
        return false;
    }
    for (const QWidget* widget : excluded_) {
        if (widget->isVisible() && covers(widget)) {
            return false;
        }
    }
    // Image buttons let their presses through to the window; those are clicks, not drags.
    const QWidget* hit = window_->childAt(windowPos);
    const QList<myLabel*> buttons = window_->findChildren<myLabel*>();
    return std::none_of(buttons.begin(), buttons.end(), [&](const myLabel* button) {
        return hit && (button == hit || button->isAncestorOf(hit));
    });
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (mouse->button() == Qt::LeftButton && startsDrag(pos)) {
            dragging_ = true;
            pressPos_ = pos;
        }
        break;
    }
    case QEvent::MouseMove:
        if (dragging_) {
            window_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - pressPos_);
        }
        break;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        break;
    default:
        break;
    }
    return false;
}

DialogFade::DialogFade(QWidget* window, QTimer* timer, int periodMs, double step)
    : QObject(window), window_(window), timer_(timerFor(this, timer)), periodMs_(periodMs),
      step_(step) {}

bool DialogFade::isRunning() const {
    return timer_->isActive();
}

void DialogFade::fadeIn() {
    in_ = true;
    opacity_ = 0.0;
    window_->setWindowOpacity(opacity_);
    timer_->start(periodMs_);
}

void DialogFade::fadeOut() {
    in_ = false;
    opacity_ = 1.0;
    window_->setWindowOpacity(opacity_);
    timer_->start(periodMs_);
}

void DialogFade::tick() {
    if (in_) {
        if (!window_->isVisible()) {
            window_->show();
        }
        opacity_ += step_;
        const bool done = opacity_ >= 1.0 - kOpacityEpsilon;
        opacity_ = done ? 1.0 : opacity_;
        window_->setWindowOpacity(opacity_);
        if (done) {
            timer_->stop();
            emit shown();
        }
        return;
    }
    opacity_ -= step_;
    const bool done = opacity_ <= kOpacityEpsilon;
    opacity_ = done ? 0.0 : opacity_;
    window_->setWindowOpacity(opacity_);
    if (done) {
        timer_->stop();
        window_->hide();
        emit hidden();
    }
}

DialogRoll::DialogRoll(QWidget* window, QTimer* timer, RollSteps steps)
    : QObject(window), window_(window), timer_(timerFor(this, timer)), steps_(steps),
      fullWidth_(window->width()), fullHeight_(window->height()) {}

bool DialogRoll::isRunning() const {
    return timer_->isActive();
}

void DialogRoll::collapse() {
    height_ = 0;
    window_->resize(fullWidth_, 0);
}

void DialogRoll::setPosition(int x, int y) {
    corner_ = QPoint(x, y);
    hasCorner_ = true;
    closing_ = false;
}

void DialogRoll::open() {
    closing_ = false;
    height_ = 0;
    if (hasCorner_) {
        window_->setGeometry(QRect(corner_, QSize(fullWidth_, 0)));
    } else {
        window_->resize(fullWidth_, 0);
    }
    window_->show();
    timer_->start(steps_.periodMs);
}

void DialogRoll::close() {
    closing_ = true;
    timer_->start(steps_.periodMs);
}

void DialogRoll::tick() {
    if (!closing_) {
        if (height_ >= fullHeight_) {
            timer_->stop();
            emit opened();
            return;
        }
        height_ += steps_.stepPx;
        if (hasCorner_) {
            window_->setGeometry(QRect(corner_, QSize(fullWidth_, height_)));
        } else {
            window_->resize(fullWidth_, height_);
        }
        return;
    }
    if (height_ <= steps_.closeAtOrBelow) {
        timer_->stop();
        window_->close();
        emit closed();
        return;
    }
    height_ -= steps_.stepPx;
    window_->resize(fullWidth_, height_);
}
