// The upload dialog. For now it opens and closes as the main window expects; the login and the
// upload to the online book service arrive with the dialog itself.
#pragma once

#include "app/frameless_dialog.h"

#include <memory>

namespace Ui {
class upLoad;
}

class upLoad : public FramelessDialog {
    Q_OBJECT

public:
    explicit upLoad(QWidget* parent = nullptr);
    ~upLoad() override;

    static constexpr int kRadius = 5;
    static constexpr int kSlidePeriodMs = 20;

signals:
    void upLoadClose();

public slots:
    void on_close_click() override;

private:
    std::unique_ptr<Ui::upLoad> ui_;
};
