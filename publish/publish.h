// The publish dialog. For now it opens and closes as the main window expects and keeps the path
// of the remembered-values file it is handed; the outputs arrive with the dialog itself.
#pragma once

#include "app/frameless_dialog.h"

#include <QString>

#include <memory>

namespace Ui {
class Publish;
}

class Publish : public FramelessDialog {
    Q_OBJECT

public:
    explicit Publish(QWidget* parent = nullptr);
    ~Publish() override;

    // The remembered-values file (work folder + ".home").
    void loadSettings(const QString& path);
    QString settingsPath() const { return settingsPath_; }

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void publishClose();

public slots:
    void on_close_click() override;

private:
    std::unique_ptr<Ui::Publish> ui_;
    QString settingsPath_;
};
