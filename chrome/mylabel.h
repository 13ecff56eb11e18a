// An image button drawn from the skin: a picture that lights up under the pointer (its hover twin
// is the picture's path with ".png" appended), sinks while pressed and reports a click only when
// the press and the release both fall on it.
#pragma once

#include <QCursor>
#include <QLabel>
#include <QString>

class myLabel : public QLabel {
    Q_OBJECT

public:
    // The owner sets the parent (or passes it here) and the geometry.
    explicit myLabel(QWidget* parent = nullptr);

    // Remembers the normal picture and shows it.
    void setPicture(const QString& path);
    QString picture() const { return imagePath_; }

    // An inactive label ignores the mouse: no hover, no press, no click. Either way the label
    // shows its normal picture at its base margin. While inactive the cursor is the arrow; it
    // returns to the owner's cursor when the label is made active again.
    void setActive(bool active);
    bool isActive() const { return active_; }

    // True while a press that started on the label may still become a click.
    bool isPressed() const { return pressed_; }

    static constexpr int kBaseMargin = 2;

signals:
    void labelClick();
    void labelEnter();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void showNormalPicture();
    void showHoverPicture();

    QString imagePath_;
    bool pressed_ = false;
    bool active_ = true;
    QCursor activeCursor_;
};
