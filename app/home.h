// The main window: a frameless, rounded window with the home page of commands and the settings
// page of the wall's look, the live preview of the wall below them, and the title-bar buttons. It
// wires the pieces together: the wall (WallProject) that the settings page and the dialogs edit,
// the dialog host that opens and closes every dialog, and the preview that plays the work folder.
#pragma once

#include "chrome/frameless_window.h"
#include "wall/wall_project.h"

#include <QDir>
#include <QPixmap>
#include <QString>

#include <memory>

namespace Ui {
class Home;
}
class About;
class BookInfo;
class Buttons;
class DialogHost;
class FramelessDialog;
class Import;
class MymessgeBox;
class PageSlider;
class PreviewControl;
class Publish;
class QMenu;
class QMenuBar;
class QShortcut;
class QTimer;
class QToolButton;
class SettingPage;
class Template;
class myLabel;
class upLoad;
struct ImportedSlides;

class Home : public FramelessWindow {
    Q_OBJECT

public:
    explicit Home(QWidget* parent = nullptr);
    ~Home() override;

    static constexpr int kWidth = 868;
    static constexpr int kHeight = 661;
    static constexpr int kMinimumHeight = 450;
    static constexpr int kRadius = 10;
    static constexpr int kFrame = 10;

    // The pages: 0 home, 1 settings.
    int currentPage() const;
    bool isPreviewFullScreen() const { return previewFullScreen_; }
    bool isMaximised() const { return maximised_; }
    // The background mode of the settings panel: 0 image, 1 pure colour, 2 gradient.
    int backgroundMode() const;
    // The preview control, or null while none exists.
    PreviewControl* preview() const { return preview_; }
    QMenuBar* modeMenu() const;
    SettingPage* settingPage() const;
    // The wall this window shows and edits.
    WallProject& project() { return project_; }
    // The work folder this window plays, ending in "/".
    QString workFolderPath() const { return flashPath_; }

    About* aboutDialog() const { return about_; }
    BookInfo* bookInfoDialog() const { return bookInfo_; }
    Buttons* buttonsDialog() const { return buttons_; }
    Import* importDialog() const { return import_; }
    Publish* publishDialog() const { return publish_; }
    Template* templateDialog() const { return template_; }
    upLoad* uploadDialog() const { return upload_; }

    // Opens the import dialog with a presentation filled in (a path or a file:// URL, as the
    // command line or the desktop hands it over); a file that does not exist is reported instead.
    void openPresentation(const QString& argument);
    // Saves the wall as a project file, or opens one into the wall (its slides and its look), in
    // the background; both put the file at the top of the recent projects.
    void saveProjectAs(const QString& file);
    void openProject(const QString& file);
    // What the recent projects list under Open Project holds, newest first.
    QStringList recentProjectFiles() const;
    // A file dropped on the window: a presentation to import or a project to open.
    void dropFile(const QString& file);

signals:
    // A project was opened and the window shows its look.
    void projectOpened();

public:
    // The toolbar button styles: selected, normal, and the normal one in the blink colour.
    static QString selectedStyle();
    static QString normalStyle();
    static QString blinkStyle();

    // The settings page's pickers, under the window's names for them. Plain members: the page's
    // own form connects its buttons to the page.
    void on_toolButton_file_clicked();
    void on_toolButton_color_clicked();
    void on_toolButton_startColor_clicked();
    void on_toolButton_endColor_clicked();
    void on_browseLogo_click();
    void imageAction();
    void pureAction();
    void gradientAction();

public slots:
    void on_toolButton_about_clicked();
    void on_close_click();
    void on_mini_click();
    void on_max_click();
    void on_info_click();
    void on_home_click();
    void on_setting_click();
    void on_import_click();
    void on_publish_click();
    void on_template_click();
    void on_book_click();
    void on_buttons_click();
    void on_share_click();
    void on_save_click();
    void on_open_click();
    void on_apply_click();
    void getCurrentTemplate(QString currentTemplate);
    void setImage(const ImportedSlides& slides);
    void opacityShowSlot();
    void pageShowSlot();
    void flashCallSLOT(QString callMessge);
    void showIcon();
    void importCloseSlot();
    void publishCloseSlot();
    void templateCloseSlot1();
    void uploadCloseSlot();
    void bookInfoCloseSlot();
    void buttonCloseSlot();
    void aboutCloseSlot();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool canResize() const override { return !maximised_ && !previewFullScreen_; }
    void edgeMoved() override { relayout(); }

private:
    // Construction steps.
    void initLabel();
    void initStyle();
    void initDialogs();
    void initSetting();
    void initFlash();
    void showWallLook();
    void dialogOpened(FramelessDialog* dialog);
    void dialogClosing(FramelessDialog* dialog);

    void reportProblems(const QStringList& problems);
    void showNotice(const QString& title, const QString& text);
    void initRecentProjects();
    void showRecentProjects(const QStringList& files);
    void rememberProject(const QString& file);
    void openRecentProject(const QString& file);
    void repairWork();
    void setFullScreenButton(bool shown);

    // The preview.
    bool loadPreview();
    void createPreview();
    void reloadPreview();
    QRect previewRect() const;

    // Pages and layout.
    void switchPage(int page);
    void relayout();
    void toggleMaximised();

    std::unique_ptr<Ui::Home> ui_;

    PageSlider* pages_ = nullptr;
    DialogHost* dialogs_ = nullptr;
    About* about_ = nullptr;
    Import* import_ = nullptr;
    Publish* publish_ = nullptr;
    BookInfo* bookInfo_ = nullptr;
    Buttons* buttons_ = nullptr;
    Template* template_ = nullptr;
    upLoad* upload_ = nullptr;

    MymessgeBox* messageBox_ = nullptr;
    myLabel* close_ = nullptr;
    myLabel* max_ = nullptr;
    myLabel* mini_ = nullptr;
    myLabel* info_ = nullptr;

    QTimer* blinkTimer_ = nullptr;
    QShortcut* leaveFullScreen_ = nullptr;
    QMenu* recentMenu_ = nullptr;

    bool maximised_ = false;
    bool previewFullScreen_ = false;
    bool blinkPhase_ = false;

    // Until a project was saved or opened, the file dialogs start in the user's home folder (the
    // program's working folder means nothing to someone who started it from the menu).
    QString lastOpenFolder_ = QDir::homePath();
    QString lastProjectFile_ = QDir::homePath();
    QString flashPath_;
    QPixmap skinBackground_;

    WallProject project_;
    PreviewControl* preview_ = nullptr;
};
