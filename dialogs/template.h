// The template chooser. For now it opens and closes as the main window expects; the list of
// template previews arrives with the chooser itself.
#pragma once

#include "app/frameless_dialog.h"

#include <memory>

namespace Ui {
class Template;
}

class Template : public FramelessDialog {
    Q_OBJECT

public:
    explicit Template(QWidget* parent = nullptr);
    ~Template() override;

    static constexpr int kRadius = 5;
    static constexpr int kSlidePeriodMs = 1;

signals:
    // The chosen preview image's path.
    void templateOk(QString path);
    void templateClose();

public slots:
    void on_close_click() override;

private:
    std::unique_ptr<Ui::Template> ui_;
};
