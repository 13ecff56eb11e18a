// A frameless main window: rounded outline, a fade-in as it opens, and resizing by four frame
// strips along its edges; near a corner a strip moves both edges that meet there. The right and
// bottom edges follow the pointer; the left edge moves in steps of 10 pixels and the top edge in
// steps of 5, towards the pointer; no edge makes the window smaller than its minimum size.
#pragma once

#include <QMainWindow>
#include <QPoint>
#include <Qt>

class DialogFade;
class QTimer;

class FramelessWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit FramelessWindow(int radius, QWidget* parent = nullptr);

    // Starts the fade-in; the caller sets the opacity to 0 and shows the window first.
    void fadeIn();
    void centreOnScreen();
    // The frame strips (children of the window's central widget) that resize it.
    void setEdgeStrips(QWidget* left, QWidget* right, QWidget* top, QWidget* bottom);

protected:
    // One step of the fade-in.
    void fadeStep();
    QTimer* fadeTimer() const { return fadeTimer_; }
    // Rebuilds the rounded outline for the present size.
    void reshape();
    // Whether the edges may resize the window now.
    virtual bool canResize() const { return true; }
    // Lays the window out again after an edge moved it.
    virtual void edgeMoved() {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The edges a press at pos (window coordinates) on a frame strip moves: one, or two near a
    // corner; none off the strips.
    Qt::Edges edgesAt(const QPoint& pos) const;
    bool resizeByEdges(const QPoint& globalPos);

    int radius_;
    QTimer* fadeTimer_;
    DialogFade* fade_;
    QWidget* strips_[4] = {};
    Qt::Edges edges_;
    QPoint edgePress_;
};
