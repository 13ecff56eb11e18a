// The advanced publish settings: the page title, keywords and description that the web and ZIP
// outputs write into the page, and a page of executable window options (caption, icon, window
// mode and size). Owned by the publish dialog; fades in and out, and keeps its values in slots 6
// to 13 of the remembered values.
#pragma once

#include "chrome/frameless_dialog.h"
#include "publish/book_copy.h"

#include <QDir>
#include <QString>

#include <memory>

namespace Ui {
class Advanced;
}
class QLabel;
class myLabel;

class Advanced : public FramelessDialog {
    Q_OBJECT

public:
    explicit Advanced(QWidget* parent = nullptr);
    ~Advanced() override;

    // Reads the remembered values from the ".home" file at path (kept for saving) and restores
    // the fields, the icon and the window mode from them.
    void readAdvanceSetting(const QString& path);

    // true: the HTML meta page; false: the executable window pages.
    void selectPage(bool html);

    // The three HTML fields as they stand now, whether or not OK stored them.
    HtmlMeta htmlMeta() const;
    // The icon saved with the last OK (or read from the remembered values), and the one the
    // preview shows, which OK makes current.
    QString currentIcon() const { return currentIcon_; }
    QString chosenIcon() const { return chosenIcon_; }

    static constexpr int kRadius = 5;
    static constexpr int kFadePeriodMs = 40;

public slots:
    void on_radioButton_max_clicked(bool checked);
    void on_radioButton_full_clicked(bool checked);
    void on_radioButton_custom_clicked(bool checked);
    void advancedSlot();

public:
    // The image buttons' clicks; plain members so that the form's connect-by-name does not look
    // for widgets of these names.
    void on_close_click() override;
    void on_ok_click();
    void on_cancel_click();
    void on_openIcon_click();
    void on_defaultIcon_click();

protected:
    void prepareOpening() override;

private:
    void setSizeFieldsEnabled(bool enabled);
    void showIcon(const QString& path);

    std::unique_ptr<Ui::Advanced> ui_;
    QLabel* iconPreview_ = nullptr;
    QString settingsPath_;
    QString currentIcon_;
    QString chosenIcon_;
    // The icon chooser starts in the home folder until an icon was chosen.
    QString lastIconFolder_ = QDir::homePath();
};
