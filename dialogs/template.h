// The template chooser: every preview picture of the application's template folder as a large
// icon with its name. A press selects a preview, a double-click or OK confirms it and hands its
// path to the main window, which makes it the wall's stretched background. The dialog rolls open
// and shut, and keeps its choice across openings.
#pragma once

#include "chrome/frameless_dialog.h"

#include <memory>

namespace Ui {
class Template;
}
class QListWidgetItem;

class Template : public FramelessDialog {
    Q_OBJECT

public:
    explicit Template(QWidget* parent = nullptr);
    ~Template() override;

    static constexpr int kRadius = 5;
    // Forty pixels a millisecond: the whole dialog opens in about thirteen ticks.
    static constexpr RollSteps kRoll{1, 40, 40};
    static constexpr int kItemRole = Qt::UserRole; // an item's preview path

    // The chosen preview's path; empty until a preview is pressed.
    QString currentTemplate() const { return currentTemplate_; }

signals:
    // The confirmed preview's path, where the picture really lies.
    void templateOk(QString path);
    void templateClose();

public slots:
    // Close and Cancel: rolls shut without a choice; the current one stays for the next opening.
    void on_close_click() override;
    void on_ok_click();
    // A press on a preview chooses it.
    void getPic(QListWidgetItem* item);
    void doubleClickTemplate(QListWidgetItem* item);

private:
    void fillList();
    void styleList();
    // Rolls shut and hands the choice over, if there is one, then tells that it closes.
    void confirm();

    std::unique_ptr<Ui::Template> ui_;
    QString currentTemplate_;
};
