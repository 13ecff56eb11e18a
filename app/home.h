// The main window: a frameless, rounded window with the home page of commands and the settings
// page of the wall's look, the live preview of the wall below them, and the title-bar buttons. It
// owns every dialog of the program, the work folder and the gallery index, and turns every change
// of look into the index and the preview through Apply.
#pragma once

#include "wall/gallery_index.h"
#include "wall/wall_parts.h"

#include <QColor>
#include <QMainWindow>
#include <QPoint>
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
class PreviewControl;
class Publish;
class QAction;
class QLineEdit;
class QMenuBar;
class QTimer;
class QToolButton;
class Template;
class myLabel;
class upLoad;
struct ImportedSlides;

class Home : public QMainWindow {
    Q_OBJECT

public:
    explicit Home(QWidget* parent = nullptr);
    ~Home() override;

    // Starts the fade-in; the caller sets the opacity to 0 and shows the window first.
    void fadeIn();

    static constexpr int kWidth = 868;
    static constexpr int kHeight = 661;
    static constexpr int kMinimumHeight = 450;
    static constexpr int kRadius = 10;
    static constexpr int kFrame = 10;

    // The pages: 0 home, 1 settings.
    int currentPage() const { return page_; }
    bool isPreviewFullScreen() const { return previewFullScreen_; }
    bool isMaximised() const { return maximised_; }
    // The background mode of the settings panel: 0 image, 1 pure colour, 2 gradient.
    int backgroundMode() const { return backgroundMode_; }
    // The preview control, or null while none exists.
    PreviewControl* preview() const { return preview_; }
    QMenuBar* modeMenu() const { return modeMenu_; }
    // The work folder this window plays, ending in "/".
    QString workFolderPath() const { return flashPath_; }

    About* aboutDialog() const { return about_; }
    BookInfo* bookInfoDialog() const { return bookInfo_; }
    Buttons* buttonsDialog() const { return buttons_; }
    Import* importDialog() const { return import_; }
    Publish* publishDialog() const { return publish_; }
    Template* templateDialog() const { return template_; }
    upLoad* uploadDialog() const { return upload_; }

    // The toolbar button styles: selected, normal, and the normal one in the blink colour.
    static QString selectedStyle();
    static QString normalStyle();
    static QString blinkStyle();

public slots:
    void on_toolButton_about_clicked();
    void on_toolButton_file_clicked();
    void on_toolButton_color_clicked();
    void on_toolButton_startColor_clicked();
    void on_toolButton_endColor_clicked();
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
    void on_browseLogo_click();
    void getCurrentTemplate(QString currentTemplate);
    void setImage(const ImportedSlides& slides);
    void imageAction();
    void pureAction();
    void gradientAction();
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
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Construction steps.
    void initLabel();
    void initStyle();
    void initDialogs();
    void dialogOpened(FramelessDialog* dialog);
    void dialogClosing(FramelessDialog* dialog);
    void initModeMenu();
    void initSetting();
    void initFlash();

    // The work folder's files.
    void repairWork();
    QString indexPath() const;
    void setFullScreenButton(bool shown);

    // The user settings file (home_settings.cpp): restored into the form at start-up, saved
    // from it at every Apply.
    void restoreSettings();
    void saveSettings() const;
    void showSwatch(QLineEdit* swatch, const QColor& colour);
    // The look of the wall (home_look.cpp): the background and logo copies, the start tag, the
    // index and its script twin.
    void applyLook();

    // Background mode and colours.
    void setBackgroundMode(int mode);
    bool pickColour(QColor& colour, QLineEdit* swatch);

    // The preview.
    bool loadPreview();
    void createPreview();
    void reloadPreview();
    QRect previewRect() const;

    // Pages, dialogs, layout.
    void switchPage(int page);
    void selectButton(QToolButton* button, bool selected);
    void relayout();
    void toggleMaximised();
    void centreOnScreen();
    bool resizeByEdge(const QPoint& globalPos);

    std::unique_ptr<Ui::Home> ui_;

    DialogHost* dialogs_ = nullptr;
    About* about_ = nullptr;
    Import* import_ = nullptr;
    Publish* publish_ = nullptr;
    BookInfo* bookInfo_ = nullptr;
    Buttons* buttons_ = nullptr;
    Template* template_ = nullptr;
    upLoad* upload_ = nullptr;

    myLabel* close_ = nullptr;
    myLabel* max_ = nullptr;
    myLabel* mini_ = nullptr;
    myLabel* info_ = nullptr;
    myLabel* browseLogo_ = nullptr;
    QMenuBar* modeMenu_ = nullptr;
    QAction* imageEntry_ = nullptr;
    QAction* pureEntry_ = nullptr;
    QAction* gradientEntry_ = nullptr;

    QTimer* opacityTimer_ = nullptr;
    QTimer* pageTimer_ = nullptr;
    QTimer* blinkTimer_ = nullptr;
    double opacity_ = 0.0;

    // Edge resizing: which edge is held, and where the pointer was pressed inside the window.
    enum class Edge { None, Left, Right, Top, Bottom };
    Edge edge_ = Edge::None;
    QPoint edgePress_;

    bool maximised_ = false;
    bool previewFullScreen_ = false;
    bool blinkPhase_ = false;
    int page_ = 0;
    int homeWidth_ = 0;
    int settingWidth_ = 0;
    int homeFullWidth_ = 0;
    int settingFullWidth_ = 0;

    int backgroundMode_ = 1;
    QColor pureColour_ = Qt::black;
    QColor startColour_;
    QColor endColour_;
    BookDetails book_;
    HiddenButtons hiddenButtons_;

    QString lastLogoFolder_;
    QString lastBackgroundFolder_ = QStringLiteral("../");
    QString lastOpenFolder_ = QStringLiteral("../");
    QString lastLogoFile_;
    QString lastBackgroundFile_;
    QString lastProjectFile_ = QStringLiteral("../");
    QString appPath_;
    QString tempPath_;
    QString flashPath_;
    QString imagePath_;

    GalleryIndex index_;
    PreviewControl* preview_ = nullptr;
};
