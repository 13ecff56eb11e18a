#include "chrome/frameless_dialog.h"

#include "chrome/mylabel.h"

#include <QKeyEvent>
#include <QTimer>

namespace {

// Every roll moves ten pixels a tick and ends once the height is below 20.
constexpr int kRollStepPx = 10;
constexpr int kRollEndsAtOrBelow = 19;

} // namespace

FramelessDialog::FramelessDialog(Motion motion, int periodMs, QWidget* parent)
    : QWidget(parent), motion_(motion),
      periodMs_(periodMs), rollSteps_{periodMs, kRollStepPx, kRollEndsAtOrBelow},
      timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, &FramelessDialog::showSlot);
}

FramelessDialog::FramelessDialog(const RollSteps& roll, QWidget* parent)
    : FramelessDialog(Motion::Roll, roll.periodMs, parent) {
    rollSteps_ = roll;
}

FramelessDialog::~FramelessDialog() = default;

void FramelessDialog::setUpFrame(const DialogFrame& frame) {
    chrome::makeFrameless(this);
    chrome::applyRoundedMask(this, frame.radius);
    close_ = addButton(QStringLiteral("close.png"), frame.closeButton, tr("Close"));
    connect(close_, &myLabel::labelClick, this, [this] { on_close_click(); });
    new WindowDragger(this, frame.dragArea, {close_});
    if (motion_ == Motion::Fade) {
        fade_ = new DialogFade(this, timer_, periodMs_);
        setWindowOpacity(0.0);
        return;
    }
    roll_ = new DialogRoll(this, timer_, rollSteps_);
    if (frame.startCollapsed) {
        roll_->collapse();
    }
}

myLabel* FramelessDialog::addButton(const QString& image, const QRect& geometry,
                                    const QString& tip) {
    return chrome::addImageButton(this, image, geometry, tip);
}

void FramelessDialog::setPosition(int x, int y) {
    if (roll_) {
        roll_->setPosition(x, y);
    } else {
        move(x, y);
    }
}

int FramelessDialog::fullHeight() const {
    return roll_ ? roll_->fullHeight() : height();
}

void FramelessDialog::showDialog() {
    prepareOpening();
    if (roll_) {
        roll_->open();
    } else {
        fade_->fadeIn();
    }
}

bool FramelessDialog::isAnimating() const {
    return timer_->isActive();
}

void FramelessDialog::showSlot() {
    if (roll_) {
        roll_->tick();
    } else {
        fade_->tick();
    }
}

void FramelessDialog::startClosing() {
    if (roll_) {
        roll_->close();
    } else {
        fade_->fadeOut();
    }
}

void FramelessDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        on_close_click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mainButton_ && mainButton_->isActive()) {
            emit mainButton_->labelClick();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}
