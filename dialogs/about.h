// The about box: the product's name and version and a notice line with the current year. It
// fades in and out.
#pragma once

#include "app/frameless_dialog.h"

#include <memory>

namespace Ui {
class About;
}

class About : public FramelessDialog {
    Q_OBJECT

public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

    static constexpr int kRadius = 5;
    static constexpr int kFadePeriodMs = 40;

signals:
    void aboutClose();

public slots:
    void on_close_click() override;
    // The fade step, under the name the about box has always used.
    void aboutSlot();

private:
    std::unique_ptr<Ui::About> ui_;
};
