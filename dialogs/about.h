// The about box: the product's name and version and a notice line with the current year. It
// fades in and out.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class About;
}
class DialogFade;
class QTimer;
class myLabel;

class About : public QWidget {
    Q_OBJECT

public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

    // Fades in where the window stands.
    void showDialog();

    static constexpr int kRadius = 5;

signals:
    void aboutClose();

public slots:
    void aboutSlot();
    void on_close_click();

private:
    std::unique_ptr<Ui::About> ui_;
    QTimer* fadeTimer_;
    DialogFade* fade_;
    myLabel* close_;
};
