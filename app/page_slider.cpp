#include "app/page_slider.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>

PageSlider::PageSlider(QWidget* first, QWidget* second, QRect area, QObject* parent)
    : QObject(parent), pages_{first, second}, area_(area), widths_{area.width(), 0},
      timer_(new QTimer(this)) {
    place();
}

void PageSlider::switchTo(int page) {
    current_ = page;
    pages_[page]->show();
    timer_->start(kPeriodMs);
}

bool PageSlider::tick() {
    int& closing = widths_[1 - current_];
    int& opening = widths_[current_];
    if (closing > 0) {
        closing = std::max(0, closing - kStep);
    } else if (opening < area_.width()) {
        opening = std::min(area_.width(), opening + kStep);
    } else {
        timer_->stop();
        return true;
    }
    place();
    return false;
}

void PageSlider::setFullWidth(int width) {
    area_.setWidth(width);
    for (int page = 0; page < 2; ++page) {
        widths_[page] =
            timer_->isActive() ? std::min(widths_[page], width) : (page == current_ ? width : 0);
    }
    place();
}

void PageSlider::place() {
    for (int page = 0; page < 2; ++page) {
        pages_[page]->setGeometry(area_.x(), area_.y(), widths_[page], area_.height());
    }
}
