#include "app/page_slider.h"

#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <chrono>

namespace {

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

PageSlider::PageSlider(QWidget* first, QWidget* second, QRect area, QObject* parent)
    : QObject(parent), pages_{first, second},
      area_(area), widths_{area.width(), 0}, startWidths_{area.width(), 0}, now_(steadyMs),
      timer_(new QTimer(this)) {
    place();
}

void PageSlider::switchTo(int page) {
    current_ = page;
    startWidths_[0] = widths_[0];
    startWidths_[1] = widths_[1];
    startedMs_ = now_();
    pages_[page]->show();
    timer_->start(kPeriodMs);
}

bool PageSlider::tick() {
    if (!timer_->isActive()) {
        return false;
    }
    const int full = area_.width();
    // How far the edge has travelled since the switch: the closing page shuts first, and what is
    // left of the distance opens the other page.
    const qint64 travelled = std::max<qint64>(1, (now_() - startedMs_) * full / kPhaseMs);
    const int closingStart = startWidths_[1 - current_];
    widths_[1 - current_] = static_cast<int>(std::max<qint64>(0, closingStart - travelled));
    widths_[current_] = static_cast<int>(std::min<qint64>(
        full, startWidths_[current_] + std::max<qint64>(0, travelled - closingStart)));
    place();
    if (widths_[current_] < full) {
        return false;
    }
    timer_->stop();
    return true;
}

void PageSlider::setFullWidth(int width) {
    area_.setWidth(width);
    for (int page = 0; page < 2; ++page) {
        widths_[page] =
            timer_->isActive() ? std::min(widths_[page], width) : (page == current_ ? width : 0);
        startWidths_[page] = std::min(startWidths_[page], width);
    }
    place();
}

void PageSlider::place() {
    for (int page = 0; page < 2; ++page) {
        pages_[page]->setGeometry(area_.x(), area_.y(), widths_[page], area_.height());
    }
}
