// The home page of the main window: the commands (import, template, publish, upload, project open
// and save, about) as toolbar buttons with the skin's icons. The main window wires them.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class HomePage;
}

class HomePage : public QWidget {
    Q_OBJECT

public:
    explicit HomePage(QWidget* parent = nullptr);
    ~HomePage() override;

    const Ui::HomePage& form() const { return *ui_; }
    // The panel that holds the commands in its layout, at the page's full width (see
    // SettingPage::panel()).
    QWidget* panel() const;

private:
    std::unique_ptr<Ui::HomePage> ui_;
};
