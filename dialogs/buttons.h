// The visible-buttons dialog: which of the player's buttons the wall hides. "Hide All" sets both
// boxes; unchecking either box unchecks "Hide All". Cancel puts the two boxes back as they were
// when the dialog opened; OK hands the two boxes over as one value.
#pragma once

#include "chrome/frameless_dialog.h"
#include "wall/wall_parts.h"

#include <memory>

namespace Ui {
class Buttons;
}

class Buttons : public FramelessDialog {
    Q_OBJECT

public:
    explicit Buttons(QWidget* parent = nullptr);
    ~Buttons() override;

    HiddenButtons hidden() const;
    // Sets the two boxes without running the click rules ("Hide All" is left as it is).
    void setHidden(const HiddenButtons& hidden);

    static constexpr int kRadius = 5;
    static constexpr int kRollPeriodMs = 10;

signals:
    void setButtons(const HiddenButtons& hidden);
    void buttonClose();

public slots:
    void on_checkBox_share_clicked(bool checked);
    void on_checkBox_info_clicked(bool checked);
    void on_checkBox_clicked(bool checked);
    void on_close_click() override;
    void on_ok_click();

protected:
    // Remembers the two button boxes for Cancel.
    void prepareOpening() override;

private:
    std::unique_ptr<Ui::Buttons> ui_;
    Qt::CheckState openedInfo_ = Qt::Unchecked;
    Qt::CheckState openedShare_ = Qt::Unchecked;
};
