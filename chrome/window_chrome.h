// The look and the manners every frameless window of murano shares: the rounded outline, the
// window flags, image buttons from the skin, dragging by a title area, and the fade and roll
// animations with which dialogs open and close. Each dialog states only its particulars (its
// radius, its drag area, its animation and period) and keeps its own named animation slot.
#pragma once

#include <QBitmap>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

class QTimer;
class QUrl;
class QWidget;
class myLabel;

namespace chrome {

// A mask of the given size that keeps a rounded rectangle over all of it.
QBitmap roundedMask(const QSize& size, int radius);
// Shapes a window with roundedMask of its present size (call again after a relayout).
void applyRoundedMask(QWidget* window, int radius);

// Frameless window flags with the system-menu, minimise and maximise hints; modal windows also
// get Qt::WA_ShowModal, which makes them application-modal whenever they are shown.
void makeFrameless(QWidget* window, bool modal = true);

// Lets every line edit of a window hold text of any length: a value carried from the settings file
// must come back as long as it was written, not cut at the fields' usual 32,767 characters.
void allowLongText(QWidget* window);

// The path of a skin picture: the skin folder + name.
QString skinPath(const QString& name);

// An image button on parent showing the skin picture named image, placed at geometry, with a
// pointing-hand cursor and a tooltip. The caller connects its labelClick().
myLabel* addImageButton(QWidget* parent, const QString& image, const QRect& geometry,
                        const QString& tip);

// Opens an address (a web page, a file or a folder) with the desktop's browser or file manager.
// "" when it opened; otherwise the message that says so and gives the address to copy.
QString openOutside(const QUrl& url);

} // namespace chrome

// Drags a window by an area of it: a left press inside the area, but not on an image button or
// on one of the excluded widgets, starts dragging; each move then places the window at the global
// pointer position minus the press position; the release ends it. A press elsewhere does nothing.
// Works by watching the window's events (presses on labels reach the window), so it needs no
// code in the window's own mouse handlers. The area and the excluded widgets are the window's
// own and live as long as it.
class WindowDragger : public QObject {
    Q_OBJECT

public:
    WindowDragger(QWidget* window, QWidget* area, QList<QWidget*> excluded = {});
    bool isDragging() const { return dragging_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool startsDrag(const QPoint& windowPos) const;

    QWidget* window_;
    QWidget* area_;
    QList<QWidget*> excluded_;
    bool dragging_ = false;
    QPoint pressPos_;
};

// The fade with which a window opens and closes: each tick of the timer changes the window
// opacity by the step; fading in makes the window visible at opacity 0 and stops at 1, fading out
// stops at 0 and hides the window. The dialog connects the timer's timeout() to its own
// animation slot and calls tick() there; without a timer of its own the fade ticks by itself.
class DialogFade : public QObject {
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 40;
    static constexpr double kStep = 0.1;

    explicit DialogFade(QWidget* window, QTimer* timer = nullptr, int periodMs = kPeriodMs,
                        double step = kStep);

    void fadeIn();
    void fadeOut();
    void tick();

    bool isFadingIn() const { return in_; }
    bool isRunning() const;
    double opacity() const { return opacity_; }
    QTimer* timer() const { return timer_; }

signals:
    void shown();
    void hidden();

private:
    QWidget* window_;
    QTimer* timer_;
    int periodMs_;
    double step_;
    double opacity_ = 0.0;
    bool in_ = true;
};

// How a dialog rolls: the timer period, the pixels added or taken per tick, and the height at or
// below which a closing roll ends and closes the window.
struct RollSteps {
    int periodMs = 10;
    int stepPx = 10;
    int closeAtOrBelow = 19;
};

// The roll with which a dialog opens and closes: opening grows the height from 0 to the full
// height (the form's height when the roll is made) from its top edge, at the corner given by
// setPosition() or, without one, where the window stands; closing shrinks it at the window's
// present position and closes the window (QWidget::close(), which only hides it). As with
// DialogFade, the dialog may pass its own timer, connected to its animation slot calling tick().
class DialogRoll : public QObject {
    Q_OBJECT

public:
    explicit DialogRoll(QWidget* window, QTimer* timer = nullptr, RollSteps steps = {});

    // Shrinks the window to height 0 at its form width: dialogs that start collapsed.
    void collapse();
    // The corner where the next opening shows the window; clears the closing state.
    void setPosition(int x, int y);
    int fullHeight() const { return fullHeight_; }
    int currentHeight() const { return height_; }
    bool isClosing() const { return closing_; }
    bool isRunning() const;
    QTimer* timer() const { return timer_; }

    // Makes the window visible at height 0 and starts growing it.
    void open();
    // Starts shrinking it from where it stands.
    void close();
    void tick();

signals:
    void opened();
    void closed();

private:
    QWidget* window_;
    QTimer* timer_;
    RollSteps steps_;
    int fullWidth_;
    int fullHeight_;
    int height_ = 0;
    bool closing_ = false;
    bool hasCorner_ = false;
    QPoint corner_;
};
