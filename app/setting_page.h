// The settings page of the main window: the wall's logo, background (an image with a position, a
// pure colour or a gradient, chosen in the style list or the small style menu), the preview's
// screen mode, the slideshow at open and the reading direction, with the Apply, Buttons and Book
// Info commands. It shows a wall's look and hands its edits back
// with commit(); the files are written by Apply alone.
#pragma once

#include "wall/wall_look.h"

#include <QColor>
#include <QDir>
#include <QWidget>

#include <memory>

namespace Ui {
class SettingPage;
}
class QAction;
class QLineEdit;
class QMenuBar;
class QToolButton;
class WallProject;
class myLabel;

class SettingPage : public QWidget {
    Q_OBJECT

public:
    explicit SettingPage(QWidget* parent = nullptr);
    ~SettingPage() override;

    // The wall whose look the page shows and edits.
    void setProject(WallProject* project);
    // Shows a look in the panel.
    void showLook(const WallLook& look);
    // The wall's look with the panel's values over it.
    WallLook panelLook() const;
    // Hands the panel's values to the wall.
    void commit();

    // A template's picture becomes a stretched image background, applied at once.
    void useTemplate(const QString& picture);

    int backgroundMode() const { return static_cast<int>(mode_); }
    QMenuBar* modeMenu() const { return modeMenu_; }
    // "Wide Screen" chosen in the "Mode:" list: the preview frames the wall at 16:9.
    bool isWideScreen() const;
    QToolButton* applyButton() const;
    QToolButton* buttonsButton() const;
    QToolButton* bookInfoButton() const;
    // The panel that holds the page's controls in its layout. The window gives it the page's full
    // width, so that a page sliding open uncovers its controls instead of squeezing them.
    QWidget* panel() const;

    // The logo's "Browse" image button.
    void on_browseLogo_click();

signals:
    // A change that takes effect at once (a background image or pure colour picked, a template).
    void applyRequested();
    void screenModeChanged();

public slots:
    void imageAction();
    void pureAction();
    void gradientAction();
    void on_toolButton_file_clicked();
    void on_toolButton_color_clicked();
    void on_toolButton_startColor_clicked();
    void on_toolButton_endColor_clicked();

private:
    void buildModeMenu();
    void setBackgroundMode(BackgroundMode mode);
    bool pickColour(QColor& colour, QLineEdit* swatch);

    std::unique_ptr<Ui::SettingPage> ui_;
    WallProject* project_ = nullptr;
    myLabel* browseLogo_ = nullptr;
    QMenuBar* modeMenu_ = nullptr;
    QAction* imageEntry_ = nullptr;
    QAction* pureEntry_ = nullptr;
    QAction* gradientEntry_ = nullptr;

    BackgroundMode mode_ = BackgroundMode::PureColor;
    QColor pureColour_ = Qt::black;
    QColor startColour_;
    QColor endColour_;
    // The picture dialogs start in the user's home folder until a picture was chosen.
    QString lastLogoFolder_ = QDir::homePath();
    QString lastBackgroundFolder_ = QDir::homePath();
    QString lastLogoFile_;
    QString lastBackgroundFile_;
};
