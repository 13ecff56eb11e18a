// The visible-buttons dialog: which of the player's buttons the wall hides. "Hide All" sets both
// boxes; unchecking either box unchecks "Hide All". Cancel puts the two boxes back as they were
// when the dialog opened; OK tells the main window, which reads the boxes.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Buttons;
}
class DialogRoll;
class QTimer;
class myLabel;

class Buttons : public QWidget {
    Q_OBJECT

public:
    explicit Buttons(QWidget* parent = nullptr);
    ~Buttons() override;

    void setPosition(int x, int y);
    int fullHeight() const;
    // Rolls open and remembers the two button boxes for Cancel.
    void showDialog();

    bool infoHidden() const;
    bool shareHidden() const;
    // Sets the two boxes without running the click rules ("Hide All" is left as it is).
    void setHidden(bool info, bool share);

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void setButtons();
    void buttonClose();

public slots:
    void on_checkBox_share_clicked(bool checked);
    void on_checkBox_info_clicked(bool checked);
    void on_checkBox_clicked(bool checked);
    void showSlot();
    void on_close_click();
    void on_ok_click();

private:
    std::unique_ptr<Ui::Buttons> ui_;
    QTimer* rollTimer_;
    DialogRoll* roll_;
    myLabel* close_;
    myLabel* ok_;
    myLabel* cancel_;
    Qt::CheckState openedInfo_ = Qt::Unchecked;
    Qt::CheckState openedShare_ = Qt::Unchecked;
};
