// The upload dialog. For now it opens and closes as the main window expects; the login and the
// upload to the online book service arrive with the dialog itself.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class upLoad;
}
class DialogRoll;
class QTimer;
class myLabel;

class upLoad : public QWidget {
    Q_OBJECT

public:
    explicit upLoad(QWidget* parent = nullptr);
    ~upLoad() override;

    // Slides open where the window stands; the main window moves it into place afterwards.
    void showDialog();
    int fullHeight() const;

    static constexpr int kRadius = 5;
    static constexpr int kSlidePeriodMs = 20;

signals:
    void upLoadClose();

public slots:
    void showSlot();
    void on_close_click();

private:
    std::unique_ptr<Ui::upLoad> ui_;
    QTimer* slideTimer_;
    DialogRoll* slide_;
    myLabel* close_;
};
