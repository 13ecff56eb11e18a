// The program's own message box: frameless, rounded, dragged by its title, with a warning picture,
// a message and an OK image button. Modal while shown; OK and the close button end it with
// okSignal() or cancelSignal(), and result() tells which.
#pragma once

#include <QPoint>
#include <QWidget>

#include <memory>

namespace Ui {
class MymessgeBox;
}
class myLabel;

class MymessgeBox : public QWidget {
    Q_OBJECT

public:
    explicit MymessgeBox(QWidget* parent = nullptr);
    ~MymessgeBox() override;

    // Each setter also places its widget at x, y with width w and height h.
    void setTitle(const QString& text, int x, int y, int w, int h);
    void setTitleIcon(const QString& path, int x, int y, int w, int h);
    void setIcon(const QString& path, int x, int y, int w, int h);
    // The message wraps inside the box: a width reaching past the box's right edge is cut there.
    void setText(const QString& text, int x, int y, int w, int h);
    void setOkImage(const QString& path, int x, int y, int w, int h);

    // The usual message in one call: the title at (25, 0), the warning picture at (10, 20), the
    // "OK.png" button at (130, 80) and the text at textOrigin, then shown.
    void showNotice(const QString& title, const QString& text, QPoint textOrigin = {80, 20});

    // True after OK, false after the close button.
    bool result() const { return result_; }

    static constexpr int kRadius = 5;

signals:
    void okSignal();
    void cancelSignal();

public slots:
    void okSlot();
    void cancelSlot();

protected:
    void showEvent(QShowEvent* event) override;
    // Enter is OK, Escape the close button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::MymessgeBox> ui_;
    myLabel* close_;
    myLabel* ok_;
    bool result_ = false;
};
