// The two pages of the main window in one place, one of them shown at a time: switching pages
// slides the open page shut, 10 pixels a tick, and then slides the other one open to its full
// width. A switch during a slide reverses it from where it stands.
#pragma once

#include <QObject>
#include <QRect>

class QTimer;
class QWidget;

class PageSlider : public QObject {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 5;
    static constexpr int kStep = 10;

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

private:
    void place();

    QWidget* pages_[2];
    QRect area_;
    int widths_[2];
    int current_ = 0;
    QTimer* timer_;
};
