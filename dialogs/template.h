// The template chooser. For now it opens and closes as the main window expects; the list of
// template previews arrives with the chooser itself.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Template;
}
class DialogRoll;
class QTimer;
class myLabel;

class Template : public QWidget {
    Q_OBJECT

public:
    explicit Template(QWidget* parent = nullptr);
    ~Template() override;

    // Slides open where the window stands; the main window moves it into place afterwards.
    void showDialog();
    int fullHeight() const;

    static constexpr int kRadius = 5;
    static constexpr int kSlidePeriodMs = 1;

signals:
    // The chosen preview image's path.
    void templateOk(QString path);
    void templateClose();

public slots:
    void showSlot();
    void on_close_click();

private:
    std::unique_ptr<Ui::Template> ui_;
    QTimer* slideTimer_;
    DialogRoll* slide_;
    myLabel* close_;
};
