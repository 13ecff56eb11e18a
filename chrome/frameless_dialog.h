// The frameless dialog every murano dialog is: a rounded window without system frame, a close
// image button in its top-right corner, dragging by a title area, and an opening and closing
// animation, either a roll (the height grows from the top edge and shrinks again) or a fade (the
// opacity rises and falls). The main window places a dialog with setPosition(), sized by
// fullHeight(), and opens it with showDialog(); the dialog's own close signal tells that it closes.
// Escape closes every dialog; Enter clicks the dialog's main button, where it names one.
#pragma once

#include "chrome/window_chrome.h"

#include <QRect>
#include <QWidget>

class QKeyEvent;
class QTimer;
class myLabel;

// What a dialog states about its frame, after its form is built.
struct DialogFrame {
    int radius = 5;              // corner radius of the rounded outline
    QWidget* dragArea = nullptr; // presses here, outside the buttons, drag the window
    QRect closeButton;           // where the close image button sits
    bool startCollapsed = false; // a rolling dialog that starts at height 0 while hidden
};

class FramelessDialog : public QWidget {
    Q_OBJECT

public:
    enum class Motion { Roll, Fade };

    ~FramelessDialog() override;

    // The corner where the next showDialog() opens the dialog; clears a closing roll.
    void setPosition(int x, int y);
    // The height the dialog has when fully open (a rolling dialog may be shown shorter).
    int fullHeight() const;
    // Opens the dialog: rolls it down from its corner or fades it in where it stands.
    void showDialog();
    bool isAnimating() const;

    // The close button: starts closing and emits the dialog's own close signal.
    virtual void on_close_click() = 0;

public slots:
    // One step of the opening or closing animation.
    void showSlot();

protected:
    FramelessDialog(Motion motion, int periodMs, QWidget* parent);
    // A rolling dialog with steps of its own size.
    FramelessDialog(const RollSteps& roll, QWidget* parent);

    // Call once the form is built: frameless modal window, rounded outline, close button,
    // dragging and the animation (which takes the form's size as the full size).
    void setUpFrame(const DialogFrame& frame);
    // An image button from the skin on this dialog; the caller connects its labelClick().
    myLabel* addButton(const QString& image, const QRect& geometry, const QString& tip);
    // Starts the closing animation.
    void startClosing();
    // The button that Enter clicks (while it is active).
    void setMainButton(myLabel* button) { mainButton_ = button; }
    void keyPressEvent(QKeyEvent* event) override;
    // Runs just before each opening animation starts.
    virtual void prepareOpening() {}

    myLabel* closeButton() const { return close_; }

private:
    Motion motion_;
    int periodMs_;
    RollSteps rollSteps_;
    QTimer* timer_;
    DialogRoll* roll_ = nullptr;
    DialogFade* fade_ = nullptr;
    myLabel* close_ = nullptr;
    myLabel* mainButton_ = nullptr;
};
