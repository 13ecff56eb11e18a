// The two pages of the main window in one place, one of them shown at a time: switching pages
// slides the open page shut and then slides the other one open to its full width. The slide is
// paced by the clock, not by the timer's ticks: each phase takes kPhaseMs however late the ticks
// come (a busy window or a slow display would otherwise leave a page half open for seconds). A
// switch during a slide reverses it from where it stands.
#pragma once

#include <QObject>
#include <QRect>

#include <functional>

class QTimer;
class QWidget;

class PageSlider : public QObject {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 10;
    // How long a page takes to slide across the whole area.
    static constexpr int kPhaseMs = 150;

    // area: where the pages sit (their full width); the first page starts open.
    PageSlider(QWidget* first, QWidget* second, QRect area, QObject* parent);

    int current() const { return current_; }
    QTimer* timer() const { return timer_; }
    // Starts sliding towards the page (0 or 1).
    void switchTo(int page);
    // One step of the slide; returns true when the slide has just ended.
    bool tick();
    // A new full width (the window was resized); a page at rest takes all of it.
    void setFullWidth(int width);
    // The clock the slide is paced by, in milliseconds (a monotonic one unless replaced).
    void setClock(std::function<qint64()> now) { now_ = std::move(now); }

private:
    void place();

    QWidget* pages_[2];
    QRect area_;
    int widths_[2];
    // The widths when the slide started, and when it started.
    int startWidths_[2];
    std::function<qint64()> now_;
    qint64 startedMs_ = 0;
    int current_ = 0;
    QTimer* timer_;
};
