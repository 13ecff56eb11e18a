// The publish dialog. For now it opens and closes as the main window expects and keeps the path
// of the remembered-values file it is handed; the outputs arrive with the dialog itself.
#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class Publish;
}
class DialogRoll;
class QTimer;
class myLabel;

class Publish : public QWidget {
    Q_OBJECT

public:
    explicit Publish(QWidget* parent = nullptr);
    ~Publish() override;

    // The remembered-values file (work folder + ".home").
    void loadSettings(const QString& path);
    QString settingsPath() const { return settingsPath_; }

    void setPosition(int x, int y);
    int fullHeight() const;
    void showDialog();

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void publishClose();

public slots:
    void showSlot();
    void on_close_click();

private:
    std::unique_ptr<Ui::Publish> ui_;
    QTimer* rollTimer_;
    DialogRoll* roll_;
    myLabel* close_;
    QString settingsPath_;
};
