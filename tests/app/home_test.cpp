// The main window with the preview engine switched off: start-up, Apply into the gallery index
// and the settings file, the background and logo copies, the player's requests, the pages, the
// dialogs, the window's edges, the user guide and presentations handed to the program.
#include "app/home.h"
#include "app/preview_control.h"
#include "app/setting_page.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "dialogs/about.h"
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "dialogs/template.h"
#include "import/import.h"
#include "import/imported_slides.h"
#include "platform/player/gallery_script.h"
#include "share/upload.h"
#include "tests/app/home_support.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>

#include <functional>

using namespace hometest;

namespace {

QStringList lines(const QString& path) {
    return QString::fromUtf8(readAll(path)).split(QLatin1Char('\n'));
}

QString indexFile() {
    return workFolder() + QStringLiteral("xml/images.xml");
}

QString startTag() {
    return lines(indexFile()).value(1);
}

// The twin the player reads from disk must carry exactly what the index says.
bool twinInStep() {
    return readAll(workFolder() + QStringLiteral("xml/images.js")) ==
           murano::player::galleryScriptFor(readAll(indexFile()));
}

void writeImage(const QString& path, QColor colour) {
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path));
}

template <typename T> T* child(const QWidget* window, const char* name) {
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget) {
        qWarning() << "no widget" << name;
    }
    return widget;
}

QAction* modeEntry(const Home& home, const QString& text) {
    const QList<QAction*> actions = home.modeMenu()->findChildren<QAction*>();
    for (QAction* action : actions) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, QPoint global) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, pos, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Drags a frame strip of the window from a point inside it by the given distance.
void dragStrip(QWidget* strip, QPoint from, QPoint by) {
    const QPoint global = strip->mapToGlobal(from);
    sendMouse(strip, QEvent::MouseButtonPress, from, global);
    sendMouse(strip, QEvent::MouseMove, from + by, global + by);
    sendMouse(strip, QEvent::MouseButtonRelease, from + by, global + by);
}

// The colour and the parent window the last colour dialog opened with.
QColor colourDialogStart;
QWidget* colourDialogParent = nullptr;

// Picks a colour in the next colour dialog, or cancels it when the colour is invalid.
void answerColourDialog(QColor colour) {
    QTimer::singleShot(20, [colour] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            answerColourDialog(colour);
            return;
        }
        colourDialogStart = dialog->currentColor();
        colourDialogParent = dialog->parentWidget();
        if (colour.isValid()) {
            dialog->setCurrentColor(colour);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

// Counts the Escape presses a widget receives.
class EscapeCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            ++count;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Receives the URLs the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

// The text of the main window's message box, or empty while it is hidden. With MURANO_SHOTS set,
// the box is also saved there under the given name, to look at.
QString shownNotice(const Home& home, const QString& shotName = QString()) {
    auto* box = home.findChild<MymessgeBox*>();
    if (!box || !box->isVisible()) {
        return QString();
    }
    if (!shotName.isEmpty() && !qEnvironmentVariableIsEmpty("MURANO_SHOTS")) {
        box->grab().save(qEnvironmentVariable("MURANO_SHOTS") + QLatin1Char('/') + shotName);
    }
    return box->findChild<QLabel*>("label_text")->text();
}

myLabel* titleButton(const Home& home, const QString& tip) {
    for (myLabel* button : home.findChildren<myLabel*>()) {
        if (button->toolTip() == tip) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

class HomeTest : public QObject {
    Q_OBJECT

public:
    static void initMain() {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("MURANO_NO_WEBENGINE", "1");
    }

private slots:
    void initTestCase();
    void init();
    void firstStartMakesTheWorkFolderAndTheSettings();
    void laterStartReusesTheWorkFolderAndRepairsIt();
    void panelEditsReachTheWallAtApply();
    void buttonsDialogOkAppliesTheHiddenButtons();
    void importResultRebuildsTheImageLines();
    void templateChoiceAppliesAStretchedImage();
    void everyColourPickShowsAtOnce();
    void missingEngineQuestionRetriesUntilNo();
    void missingEngineYesOpensTheHelpPage();
    void playerReloadPutsANewControlInPlace();
    void playerFullScreenTwiceReturnsToNormal();
    void otherPlayerRequestsOnlyRepair();
    void pagesSlideAndApplyBlinksOnTheSettingsPage();
    void uploadDialogShowsTheFullScreenButtonWhileOpen();
    void dialogsOpenCentredAndRestoreTheirButtons();
    void edgesResizeWithinTheMinimumSize();
    void titleDragsAndDoubleClickMaximises();
    void escapeReachesThePreviewUnlessItIsFullScreen();
    void settingsPageShowsEveryControlOnFirstOpen();
    void fileDialogsStartInTheHomeFolderOnAFirstStart();
    void infoOpensTheShippedGuideFromDisk();
    void infoSaysWhereTheMissingGuideShouldBe();
    void openPresentationFillsTheImportDialog_data();
    void openPresentationFillsTheImportDialog();
    void openPresentationReportsAMissingFile();
    void openedProjectsLookSurvivesApplyAndImport();
    void slideshowAndDirectionRoundTrip();
    void recentProjectsOfferWhatWasSavedAndOpened();
    void droppedFilesAreImportedOrOpened_data();
    void droppedFilesAreImportedOrOpened();
    void toolbarFocusIsVisible();

private:
    QTemporaryDir application_;
    std::unique_ptr<QTemporaryDir> state_;
};

void HomeTest::initTestCase() {
    QVERIFY2(prepareApplicationFolder(application_), "build murano_flash_template and the skin");
}

void HomeTest::init() {
    state_ = freshState();
}

void HomeTest::firstStartMakesTheWorkFolderAndTheSettings() {
    QuestionAnswerer answerer;
    Home home;
    QCOMPARE(answerer.asked(), 1); // the engine is off: the missing-control question, answered No
    QVERIFY(home.preview()->isNull());

    const QString work = workFolder();
    for (const char* file : {"main.swf", "index.html", "swfobject.js", "xml/images.xml",
                             "background/background.jpg", "logo/logo.png"}) {
        QVERIFY2(QFile::exists(work + QLatin1String(file)), file);
    }
    QVERIFY(QDir(work + QStringLiteral("wallimages/thumbs")).exists());

    const QStringList settings = lines(userSettingsFile());
    QCOMPARE(settings.size(), 19); // 18 lines, each ended by "\n"
    QCOMPARE(settings.value(13), QStringLiteral("#000000"));
    QCOMPARE(settings.value(17), QStringLiteral("01"));

    QVERIFY(startTag().contains(QLatin1String("btn_fullscreen=\"0\"")));
    QVERIFY(!readAll(indexFile()).contains("btn_fullscreen=\"1\""));
    QVERIFY(twinInStep());

    // A first start shows what the wall shows: the template's stretched picture, its page, and
    // only the other two modes in the menu.
    QVERIFY(
        startTag().contains(QLatin1String("back_ground=\"2{background/background.jpg,stretch}")));
    QCOMPARE(home.backgroundMode(), 0);
    QVERIFY(!modeEntry(home, QStringLiteral("Image"))->isEnabled());
    QVERIFY(modeEntry(home, QStringLiteral("Pure Color"))->isEnabled());
    QVERIFY(child<QWidget>(&home, "page_image")->isVisibleTo(&home));
    QVERIFY(!child<QWidget>(&home, "page_pureColor")->isVisibleTo(&home));
    QCOMPARE(child<QComboBox>(&home, "comboBox_position")->currentText(),
             QStringLiteral("Stretch"));
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_file")->text(),
             work + QStringLiteral("background/background.jpg"));
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_logoFile")->text(),
             work + QStringLiteral("logo/logo.png"));
    // The first Apply (as an import runs it) keeps the background the wall showed.
    home.on_apply_click();
    QVERIFY(
        startTag().contains(QLatin1String("back_ground=\"2{background/background.jpg,stretch}")));
    QCOMPARE(readAll(work + QStringLiteral("background/background.jpg")),
             readAll(applicationFolder() + QStringLiteral("flash/background/background.jpg")));
    QCOMPARE(home.size(), QSize(868, 661));
    QCOMPARE(home.minimumSize(), QSize(868, 450));
    QVERIFY(home.windowFlags() & Qt::FramelessWindowHint);
}

void HomeTest::laterStartReusesTheWorkFolderAndRepairsIt() {
    QuestionAnswerer answerer;
    { Home first; }
    const QString work = workFolder();
    QFile::remove(work + QStringLiteral("main.swf"));
    writeImage(work + QStringLiteral("wallimages/0.jpg"), Qt::red);
    // A settings file of an image wall with the position "Tile" and a hidden logo.
    QStringList settings = lines(userSettingsFile());
    settings[17] = QStringLiteral("22");
    settings.insert(18, QStringLiteral("1"));
    settings[3] = QStringLiteral("https://x.example/") + QString(40000, QLatin1Char('a'));
    settings[8] = QString(33000, QLatin1Char('t'));
    QFile file(userSettingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(settings.join(QLatin1Char('\n')).toUtf8());
    file.close();

    Home second;
    QVERIFY(QFile::exists(work + QStringLiteral("main.swf")));
    QVERIFY(QFile::exists(work + QStringLiteral("wallimages/0.jpg")));
    QCOMPARE(second.backgroundMode(), 2);
    QVERIFY(!modeEntry(second, QStringLiteral("Gradient Color"))->isEnabled());
    QCOMPARE(child<QComboBox>(&second, "comboBox_position")->currentText(), QStringLiteral("Tile"));
    QVERIFY(child<QCheckBox>(&second, "checkBox_showLogo")->isChecked());
    second.on_apply_click();
    // Long values come back whole on their way through the panel and the book dialog.
    QCOMPARE(lines(userSettingsFile()).value(3), settings.value(3));
    QCOMPARE(lines(userSettingsFile()).value(8), settings.value(8));
}

void HomeTest::panelEditsReachTheWallAtApply() {
    QuestionAnswerer answerer;
    Home home;
    child<QComboBox>(&home, "comboBox_position")->setCurrentIndex(2);
    auto* angle = child<QSpinBox>(&home, "spinBox_angle");
    QCOMPARE(angle->minimum(), 0);
    QCOMPARE(angle->maximum(), 360);
    angle->setValue(45);
    child<QLineEdit>(&home, "lineEdit_link")->setText(QStringLiteral("http://x.example/"));
    home.bookInfoDialog()->setDetails({QStringLiteral("Tom"), {}, {}, {}, {}});
    home.bookInfoDialog()->on_ok_click();
    // The visible style list and the style menu pick the same mode and follow each other.
    auto* style = child<QComboBox>(&home, "comboBox_background");
    style->activated(static_cast<int>(BackgroundMode::PureColor));
    QCOMPARE(child<QStackedWidget>(&home, "stackedWidget_background")->currentWidget(),
             child<QWidget>(&home, "page_pureColor"));
    QVERIFY(!modeEntry(home, QStringLiteral("Pure Color"))->isEnabled());
    modeEntry(home, QStringLiteral("Gradient Color"))->trigger();
    QVERIFY(!modeEntry(home, QStringLiteral("Gradient Color"))->isEnabled());
    QCOMPARE(style->currentText(), QStringLiteral("Gradient"));
    QTest::mouseClick(child<QToolButton>(&home, "toolButton_applay"), Qt::LeftButton);

    const WallLook& look = home.project().look();
    QCOMPARE(look.mode, BackgroundMode::Gradient);
    QCOMPARE(look.position, 2);
    QCOMPARE(look.angle, QStringLiteral("45"));
    QCOMPARE(look.bookTitle, QStringLiteral("Tom"));
    QVERIFY(startTag().contains(QLatin1String("back_ground=\"1{0x1e3c72,0x2a9df4,45}\" ")));
    QVERIFY(startTag().contains(QLatin1String("logo_link=\"http://x.example/\" ")));
    QVERIFY(startTag().contains(QLatin1String("book_title=\"Tom\" ")));
    QCOMPARE(lines(userSettingsFile()).value(17), QStringLiteral("22"));
    QVERIFY(twinInStep());
}

void HomeTest::buttonsDialogOkAppliesTheHiddenButtons() {
    QuestionAnswerer answerer;
    Home home;
    home.on_buttons_click();
    auto* toolButton = child<QToolButton>(&home, "toolButton_buttons");
    QCOMPARE(toolButton->styleSheet(), Home::selectedStyle());
    Buttons* buttons = home.buttonsDialog();
    QTest::mouseClick(child<QCheckBox>(buttons, "checkBox"), Qt::LeftButton, {}, QPoint(8, 8));
    child<QCheckBox>(&home, "checkBox_showLogo")->setChecked(true);
    buttons->on_ok_click();

    const QString tag = startTag();
    QVERIFY(tag.contains(QLatin1String("btn_share=\"0\" ")));
    QVERIFY(tag.contains(QLatin1String("btn_info=\"0\" ")));
    QVERIFY(tag.contains(QLatin1String("logo_visible=\"0\" ")));
    const QStringList settings = lines(userSettingsFile());
    QCOMPARE(settings.value(5), QStringLiteral("1"));
    QCOMPARE(settings.value(7), QStringLiteral("1"));
    QCOMPARE(settings.value(18), QStringLiteral("1"));
    QCOMPARE(toolButton->styleSheet(), Home::normalStyle());
    QVERIFY(toolButton->isEnabled());
}

void HomeTest::importResultRebuildsTheImageLines() {
    QuestionAnswerer answerer;
    { Home first; }
    // A wall of three slides from an earlier import.
    QStringList index = lines(indexFile()).mid(0, 2);
    index << QStringLiteral("\t<img src=\"0.jpg\" width=\"960\" height=\"720\" />")
          << QStringLiteral("\t<img src=\"1.jpg\" width=\"960\" height=\"720\" />")
          << QStringLiteral("\t<img src=\"2.jpg\" width=\"960\" height=\"720\" />")
          << QStringLiteral("</gallery>") << QString();
    QFile file(indexFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(index.join(QLatin1Char('\n')).toUtf8());
    file.close();

    Home home;
    // The import dialog before any conversion reports no slides: the wall is emptied, and Apply
    // writes the index whole.
    emit home.importDialog()->saveImageOK(ImportedSlides{});
    const QStringList written = lines(indexFile());
    QCOMPARE(written.size(), 4);
    QCOMPARE(written.value(0), index.value(0));
    QVERIFY(written.value(1).startsWith(QLatin1String("<gallery ")));
    QCOMPARE(written.value(2), QStringLiteral("</gallery>"));
    QVERIFY(twinInStep());
}

void HomeTest::templateChoiceAppliesAStretchedImage() {
    QuestionAnswerer answerer;
    Home home;
    const QString chosen = state_->path() + QStringLiteral("/template.png");
    writeImage(chosen, Qt::darkGreen);
    emit home.templateDialog()->templateOk(chosen);

    QCOMPARE(home.backgroundMode(), 0);
    QVERIFY(!modeEntry(home, QStringLiteral("Image"))->isEnabled());
    QCOMPARE(child<QComboBox>(&home, "comboBox_position")->currentText(),
             QStringLiteral("Stretch"));
    QVERIFY(startTag().contains(
        QLatin1String("back_ground=\"2{background/background.png,stretch}\" ")));
    QCOMPARE(readAll(workFolder() + QStringLiteral("background/background.png")), readAll(chosen));
}

void HomeTest::everyColourPickShowsAtOnce() {
    QuestionAnswerer answerer;
    Home home;
    home.pureAction();
    answerColourDialog(QColor(1, 2, 3));
    home.on_toolButton_color_clicked();
    QVERIFY(startTag().contains(QLatin1String("back_ground=\"0{0x010203}\" ")));
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_color")->styleSheet(),
             QStringLiteral("background-color: rgb(1, 2, 3)"));

    const QByteArray before = readAll(indexFile());
    answerColourDialog(QColor(200, 100, 50));
    home.on_toolButton_startColor_clicked();
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_starColor")->styleSheet(),
             QStringLiteral("background-color: rgb(200, 100, 50)"));
    QCOMPARE(readAll(indexFile()), before);
    // Each dialog opens at the colour it changes, over the window.
    answerColourDialog(QColor(9, 9, 9));
    home.on_toolButton_color_clicked();
    QCOMPARE(colourDialogStart, QColor(1, 2, 3));
    QCOMPARE(colourDialogParent, static_cast<QWidget*>(&home));

    // A cancelled dialog changes nothing.
    answerColourDialog(QColor());
    home.on_toolButton_endColor_clicked();
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_endColor")->styleSheet(),
             QStringLiteral("background-color: rgb(42, 157, 244)"));

    // On the gradient page a picked colour reaches the wall without Apply.
    home.gradientAction();
    answerColourDialog(QColor(200, 100, 50));
    home.on_toolButton_startColor_clicked();
    QVERIFY(startTag().contains(QLatin1String("back_ground=\"1{0xc86432,0x2a9df4,90}\" ")));
}

void HomeTest::missingEngineQuestionRetriesUntilNo() {
    QuestionAnswerer answerer({QMessageBox::Retry, QMessageBox::Retry, QMessageBox::No});
    Home home;
    QCOMPARE(answerer.asked(), 3);
    QVERIFY(answerer.texts().first().contains(QLatin1String("wall player engine")));
    QVERIFY(home.preview()->isNull());
    // The window keeps working without a preview.
    home.on_apply_click();
    QVERIFY(startTag().startsWith(QLatin1String("<gallery ")));
}

void HomeTest::missingEngineYesOpensTheHelpPage() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QuestionAnswerer answerer({QMessageBox::Yes, QMessageBox::No});
    {
        Home home;
        QCOMPARE(answerer.asked(), 2);
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.first().isValid());
}

void HomeTest::playerReloadPutsANewControlInPlace() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QPointer<PreviewControl> old = home.preview();
    home.flashCallSLOT(QStringLiteral("request:reload;fullScreen"));
    QVERIFY(home.preview() != old.data());
    QTRY_VERIFY(old.isNull());
    QVERIFY(!home.isPreviewFullScreen()); // "reload" wins over "fullScreen"
    QCOMPARE(home.preview()->geometry(), QRect(7, 140, home.width() - 13, home.height() - 147));
    QVERIFY(home.preview()->isVisible());
}

void HomeTest::playerFullScreenTwiceReturnsToNormal() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    home.flashCallSLOT(QStringLiteral("fullScreen"));
    QVERIFY(home.isPreviewFullScreen());
    QVERIFY(home.windowState() & Qt::WindowFullScreen);
    QTRY_COMPARE(home.preview()->geometry(), home.rect());

    home.flashCallSLOT(QStringLiteral("fullScreen"));
    QVERIFY(!home.isPreviewFullScreen());
    QVERIFY(!(home.windowState() & Qt::WindowFullScreen));
    QTRY_COMPARE(home.size(), QSize(868, 661));
    QCOMPARE(home.preview()->geometry(), QRect(7, 140, 855, 514));

    // Escape leaves a full-screen preview too.
    home.flashCallSLOT(QStringLiteral("fullScreen"));
    home.activateWindow();
    QTest::keyClick(&home, Qt::Key_Escape);
    QVERIFY(!home.isPreviewFullScreen());
}

void HomeTest::otherPlayerRequestsOnlyRepair() {
    QuestionAnswerer answerer;
    Home home;
    PreviewControl* preview = home.preview();
    const QRect geometry = preview->geometry();
    QFile::remove(workFolder() + QStringLiteral("main.swf"));
    home.flashCallSLOT(QStringLiteral("Reload FULLSCREEN")); // the words are case-sensitive
    QVERIFY(QFile::exists(workFolder() + QStringLiteral("main.swf")));
    QCOMPARE(home.preview(), preview);
    QCOMPARE(preview->geometry(), geometry);
    QVERIFY(!home.isPreviewFullScreen());
    QCOMPARE(answerer.asked(), 1);
}

void HomeTest::pagesSlideAndApplyBlinksOnTheSettingsPage() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    auto* homePage = child<QWidget>(&home, "widget_home");
    auto* settingPage = child<QWidget>(&home, "widget_setting");
    auto* homeTab = child<QToolButton>(&home, "toolButton_home");
    auto* settingTab = child<QToolButton>(&home, "toolButton_setting");
    auto* apply = child<QToolButton>(&home, "toolButton_applay");
    const int full = home.width() - 14;
    QCOMPARE(homePage->width(), full);
    QCOMPARE(settingPage->width(), 0);
    QVERIFY(!homeTab->isEnabled());

    // The blink waits for the settings page.
    home.showIcon();
    QCOMPARE(apply->styleSheet(), Home::normalStyle());

    QTest::mouseClick(settingTab, Qt::LeftButton);
    QCOMPARE(home.currentPage(), 1);
    QVERIFY(!settingTab->isEnabled());
    QVERIFY(homeTab->isEnabled());
    QCOMPARE(settingTab->styleSheet(), Home::selectedStyle());
    QTRY_COMPARE(settingPage->width(), full);
    QCOMPARE(homePage->width(), 0);
    // The commands sit whole at the page's right end.
    const QRect commands(apply->mapTo(&home, QPoint(0, 0)), apply->size());
    QVERIFY(commands.right() <= settingPage->geometry().right());
    QVERIFY(commands.left() > home.width() - 150);

    // The blink timer runs as well: each tick swaps the two styles.
    const QString before = apply->styleSheet();
    home.showIcon();
    QCOMPARE(apply->styleSheet(),
             before == Home::blinkStyle() ? Home::normalStyle() : Home::blinkStyle());
    home.showIcon();
    QCOMPARE(apply->styleSheet(), before);

    // Back to the home page while the slide is under way reverses it from where it stands.
    home.on_home_click();
    home.on_setting_click();
    QTest::qWait(40);
    const int reached = settingPage->width();
    home.on_home_click();
    QVERIFY(settingPage->width() <= reached);
    QTRY_COMPARE(homePage->width(), full);
    QCOMPARE(settingPage->width(), 0);
    QVERIFY(!homeTab->isEnabled());
    QCOMPARE(apply->styleSheet(), Home::normalStyle());
    home.showIcon();
    QCOMPARE(apply->styleSheet(), Home::normalStyle());
}

void HomeTest::uploadDialogShowsTheFullScreenButtonWhileOpen() {
    QuestionAnswerer answerer;
    Home home;
    home.on_share_click();
    QVERIFY(startTag().contains(QLatin1String("btn_fullscreen=\"1\"")));
    QVERIFY(twinInStep());
    QCOMPARE(child<QToolButton>(&home, "toolButton_share")->styleSheet(), Home::selectedStyle());

    home.uploadDialog()->on_close_click();
    QVERIFY(startTag().contains(QLatin1String("btn_fullscreen=\"0\"")));
    QVERIFY(twinInStep());
    QCOMPARE(child<QToolButton>(&home, "toolButton_share")->styleSheet(), Home::normalStyle());
}

void HomeTest::dialogsOpenCentredAndRestoreTheirButtons() {
    QuestionAnswerer answerer;
    Home home;
    home.move(100, 60);
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    const QPoint origin = home.pos();

    home.on_book_click();
    BookInfo* bookInfo = home.bookInfoDialog();
    QTRY_COMPARE(bookInfo->height(), 320);
    QCOMPARE(bookInfo->pos(), origin + QPoint((868 - 400) / 2, (661 - 320) / 2));
    bookInfo->on_close_click();
    QCOMPARE(child<QToolButton>(&home, "toolButton_bookInfo")->styleSheet(), Home::normalStyle());
    QTRY_VERIFY(!bookInfo->isVisible());

    home.on_template_click();
    Template* chooser = home.templateDialog();
    QCOMPARE(chooser->pos(), origin + QPoint((868 - 600) / 2, (661 - 500) / 2));
    QCOMPARE(child<QToolButton>(&home, "toolButton_template")->styleSheet(), Home::selectedStyle());
    chooser->on_close_click();
    QCOMPARE(child<QToolButton>(&home, "toolButton_template")->styleSheet(), Home::normalStyle());
    QTRY_VERIFY(!chooser->isVisible());

    QTest::mouseClick(child<QToolButton>(&home, "toolButton_about"), Qt::LeftButton);
    About* about = home.aboutDialog();
    QCOMPARE(about->pos(), origin + QPoint((868 - 400) / 2, (661 - 170) / 2));
    QTRY_VERIFY(about->isVisible());
    about->on_close_click();
    QCOMPARE(child<QToolButton>(&home, "toolButton_about")->styleSheet(), Home::normalStyle());
    QTRY_VERIFY(!about->isVisible());
}

void HomeTest::edgesResizeWithinTheMinimumSize() {
    QuestionAnswerer answerer;
    Home home;
    home.move(300, 100);
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    const QRect start = home.geometry();

    // The left edge follows the pointer in steps of 10 pixels...
    dragStrip(child<QWidget>(&home, "label_leftframe"), QPoint(5, 300), QPoint(-35, 0));
    QCOMPARE(home.geometry().left(), start.left() - 30);
    QCOMPARE(home.width(), start.width() + 30);
    // ...but never past the minimum width.
    dragStrip(child<QWidget>(&home, "label_leftframe"), QPoint(5, 300), QPoint(200, 0));
    QCOMPARE(home.width(), 868);
    QCOMPARE(home.geometry().right(), start.right());

    dragStrip(child<QWidget>(&home, "label_rightframe"), QPoint(5, 300), QPoint(50, 0));
    QCOMPARE(home.width(), 918);
    QCOMPARE(home.preview()->geometry(), QRect(7, 140, 918 - 13, 661 - 147));

    dragStrip(child<QWidget>(&home, "label_buttonfram"), QPoint(400, 5), QPoint(0, -400));
    QCOMPARE(home.height(), 450);
    QCOMPARE(home.mask().boundingRect(), QRect(0, 0, 918, 450));

    // "Wide Screen" frames the wall 16:9 in the middle of the preview area.
    child<QComboBox>(&home, "comboBox_screen")->setCurrentIndex(1);
    const QRect area(7, 140, 918 - 13, 450 - 147);
    const QRect wide = home.preview()->geometry();
    QCOMPARE(wide.height(), area.height());
    QCOMPARE(wide.width(), area.height() * 16 / 9);
    QVERIFY(qAbs(wide.center().x() - area.center().x()) <= 1);
}

void HomeTest::titleDragsAndDoubleClickMaximises() {
    QuestionAnswerer answerer;
    Home home;
    home.move(200, 100);
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    const QPoint start = home.pos();
    auto* title = child<QWidget>(&home, "label_title");
    dragStrip(title, QPoint(400, 18), QPoint(40, 30));
    QCOMPARE(home.pos(), start + QPoint(40, 30));
    // A press on a title-bar button is a click, not a drag.
    dragStrip(title, QPoint(home.width() - 30, 12), QPoint(40, 30));
    QCOMPARE(home.pos(), start + QPoint(40, 30));

    QTest::mouseDClick(title, Qt::LeftButton, {}, QPoint(400, 18));
    QVERIFY(home.isMaximised());
    QVERIFY(home.windowState() & Qt::WindowFullScreen);
    QTest::mouseDClick(child<QWidget>(&home, "label_titleText"), Qt::LeftButton);
    QVERIFY(!home.isMaximised());
    QTRY_COMPARE(home.size(), QSize(868, 661));
}

void HomeTest::escapeReachesThePreviewUnlessItIsFullScreen() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QApplication::setActiveWindow(&home);
    QVERIFY(QTest::qWaitForWindowActive(&home));
    EscapeCounter counter;
    home.preview()->installEventFilter(&counter);
    home.preview()->setFocus();
    QTest::keyClick(home.preview(), Qt::Key_Escape);
    QCOMPARE(counter.count, 1);

    home.flashCallSLOT(QStringLiteral("fullScreen"));
    QVERIFY(home.isPreviewFullScreen());
    QTest::keyClick(home.preview(), Qt::Key_Escape);
    QVERIFY(!home.isPreviewFullScreen());
    QCOMPARE(counter.count, 1);
}

// The first opening of the settings page after a start shows every control whole.
void HomeTest::settingsPageShowsEveryControlOnFirstOpen() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    home.on_setting_click();
    auto* page = child<QWidget>(&home, "widget_setting");
    QTRY_COMPARE(page->width(), home.width() - 14);
    int checked = 0;
    for (const QWidget* control : page->findChildren<QWidget*>()) {
        const QString name = control->objectName();
        const bool isControl = name.startsWith(QLatin1String("lineEdit_")) ||
                               name.startsWith(QLatin1String("toolButton_")) ||
                               name.startsWith(QLatin1String("comboBox_")) ||
                               name.startsWith(QLatin1String("checkBox_"));
        if (!isControl || !control->isVisibleTo(&home)) {
            continue;
        }
        ++checked;
        QVERIFY2(control->isVisible(), qPrintable(name));
        QCOMPARE(shownPart(control, &home),
                 QRect(control->mapTo(&home, QPoint(0, 0)), control->size()));
    }
    QVERIFY(checked >= 9);
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_link")->cursorPosition(), 0); // shown from its start
    QImage shot = home.grab().toImage();
    QVERIFY(!shot.isNull());
    if (!qEnvironmentVariableIsEmpty("MURANO_SHOTS")) {
        shot.save(qEnvironmentVariable("MURANO_SHOTS") + QStringLiteral("/setting_page.png"));
        home.gradientAction();
        home.grab().save(qEnvironmentVariable("MURANO_SHOTS") + QStringLiteral("/gradient.png"));
    }
}

void HomeTest::infoOpensTheShippedGuideFromDisk() {
    const QString guide = application_.path() + QStringLiteral("/guide");
    copyTree(QStringLiteral(MURANO_BIN_DIR "/guide"), guide);
    QVERIFY2(QFile::exists(guide + QStringLiteral("/index.html")), "build murano_guide");
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QTest::mouseClick(titleButton(home, QStringLiteral("Help")), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    removeTree(guide);

    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.first(), QUrl::fromLocalFile(guide + QStringLiteral("/index.html")));
    QVERIFY(shownNotice(home).isEmpty());
}

void HomeTest::infoSaysWhereTheMissingGuideShouldBe() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QuestionAnswerer answerer;
    Home home;
    home.show();
    home.on_info_click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QVERIFY(catcher.urls.isEmpty());
    const QString notice = shownNotice(home, QStringLiteral("guide_missing.png"));
    QVERIFY2(notice.contains(applicationFolder() + QStringLiteral("guide/index.html")),
             qPrintable(notice));
}

// A presentation handed over as the desktop or a terminal hands it: its path fills the import
// dialog, which opens with the page choice the user left.
void HomeTest::openPresentationFillsTheImportDialog_data() {
    QTest::addColumn<bool>("asUrl");
    QTest::addColumn<bool>("relative");
    QTest::newRow("absolute") << false << false;
    QTest::newRow("relative") << false << true;
    QTest::newRow("file URL") << true << false;
}

void HomeTest::openPresentationFillsTheImportDialog() {
    QFETCH(bool, asUrl);
    QFETCH(bool, relative);
    const QString deck = state_->path() + QStringLiteral("/Week 12/deck #1.pptx");
    QVERIFY(QDir().mkpath(state_->path() + QStringLiteral("/Week 12")));
    QFile file(deck); // any file: the import itself tells a presentation apart
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString argument = asUrl      ? QUrl::fromLocalFile(deck).toString()
                             : relative ? QStringLiteral("Week 12/deck #1.pptx")
                                        : deck;
    const QString before = QDir::currentPath();
    QDir::setCurrent(state_->path());
    QuestionAnswerer answerer;
    Home home;
    home.show();
    home.openPresentation(argument);
    QDir::setCurrent(before);

    Import* dialog = home.importDialog();
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_srcFile")->text(), deck);
    QVERIFY(child<QRadioButton>(dialog, "radioButton_allPages")->isChecked());
    QVERIFY(!dialog->isBusy());
    QVERIFY(shownNotice(home).isEmpty());
}

void HomeTest::openPresentationReportsAMissingFile() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    const QString missing = state_->path() + QStringLiteral("/gone.pptx");
    home.openPresentation(missing);
    QVERIFY(shownNotice(home, QStringLiteral("presentation_missing.png")).contains(missing));
    QVERIFY(!home.importDialog()->isVisible());
    QVERIFY(child<QLineEdit>(home.importDialog(), "lineEdit_srcFile")->text() != missing);
}

// Before anything was saved, opened or chosen, every file dialog starts in the user's home folder,
// not in whatever folder the program was started from.
void HomeTest::fileDialogsStartInTheHomeFolderOnAFirstStart() {
    QuestionAnswerer answerer;
    Home home;
    const QList<std::function<void()>> openers = {
        [&] { home.on_save_click(); }, [&] { home.on_open_click(); },
        [&] { home.on_toolButton_file_clicked(); }, [&] { home.on_browseLogo_click(); }};
    for (const auto& open : openers) {
        QString shownFolder;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shownFolder = chooser->directory().absolutePath();
            chooser->reject();
        });
        open();
        QCOMPARE(shownFolder, QDir::homePath());
    }
}

namespace {

// Saves the window's picture where MURANO_SHOTS names, to look at.
void saveShot(QWidget* widget, const QString& name) {
    if (!qEnvironmentVariableIsEmpty("MURANO_SHOTS")) {
        widget->grab().save(qEnvironmentVariable("MURANO_SHOTS") + QLatin1Char('/') + name);
    }
}

void saveAndWait(Home& home, const QString& file) {
    home.saveProjectAs(file);
    QTRY_VERIFY_WITH_TIMEOUT(shownNotice(home).contains(QLatin1String("saved")), 30000);
    home.findChild<MymessgeBox*>()->close();
}

void openAndWait(Home& home, const QString& file) {
    QSignalSpy opened(&home, &Home::projectOpened);
    home.openProject(file);
    QTRY_VERIFY_WITH_TIMEOUT(opened.count() == 1, 30000);
}

} // namespace

// A project with a template background and a title; another wall in red; the project opened
// again: the settings page, the dialogs and the settings file show the project's look, and the
// next Apply and import keep it.
void HomeTest::openedProjectsLookSurvivesApplyAndImport() {
    QuestionAnswerer answerer;
    Home home;
    const QString picture = state_->path() + QStringLiteral("/template.png");
    writeImage(picture, Qt::darkGreen);
    emit home.templateDialog()->templateOk(picture);
    const QString title = QStringLiteral("Week 12 <Review> & Plans");
    BookDetails book = home.bookInfoDialog()->details();
    book.title = title;
    emit home.bookInfoDialog()->bookInfoOk(book);
    emit home.buttonsDialog()->setButtons({true, false});
    const QString projectTag = startTag();
    const QString project = state_->path() + QStringLiteral("/week12.mrnp");
    saveAndWait(home, project);

    home.pureAction();
    answerColourDialog(QColor(0xcc, 0x22, 0x22));
    home.on_toolButton_color_clicked();
    book.title = QStringLiteral("Other wall");
    emit home.bookInfoDialog()->bookInfoOk(book);
    QVERIFY(startTag().contains(QLatin1String("0{0xcc2222}")));

    openAndWait(home, project);
    QCOMPARE(startTag(), projectTag);
    QCOMPARE(home.backgroundMode(), 0);
    QCOMPARE(child<QComboBox>(&home, "comboBox_position")->currentText(),
             QStringLiteral("Stretch"));
    QCOMPARE(child<QLineEdit>(&home, "lineEdit_file")->text(),
             workFolder() + QStringLiteral("background/background.png"));
    QCOMPARE(home.bookInfoDialog()->details().title, title);
    QVERIFY(child<QCheckBox>(home.buttonsDialog(), "checkBox_info")->isChecked());
    QCOMPARE(lines(userSettingsFile()).value(8), title);
    saveShot(&home, QStringLiteral("opened-project.png"));

    home.on_apply_click();
    QCOMPARE(startTag(), projectTag);
    QCOMPARE(readAll(workFolder() + QStringLiteral("background/background.png")), readAll(picture));
    ImportedSlides slides;
    slides.allPages = true;
    home.setImage(slides);
    QCOMPARE(startTag(), projectTag);
}

namespace {

void setPlaying(Home& home, int seconds, bool rightToLeft) {
    child<QSpinBox>(&home, "spinBox_autoplay")->setValue(seconds);
    child<QComboBox>(&home, "comboBox_direction")->setCurrentIndex(rightToLeft ? 1 : 0);
}

// What the setting page shows of the slideshow and the reading direction.
QString shownPlaying(const Home& home) {
    return child<QSpinBox>(&home, "spinBox_autoplay")->text() + QLatin1Char('|') +
           child<QComboBox>(&home, "comboBox_direction")->currentText();
}

} // namespace

// The slideshow interval and the reading direction chosen on the setting page reach the wall at
// Apply, and come back on the page in a restarted window and from a reopened project.
void HomeTest::slideshowAndDirectionRoundTrip() {
    QuestionAnswerer answerer;
    Home home;
    QCOMPARE(shownPlaying(home), QStringLiteral("Off|Left to right"));
    QCOMPARE(child<QSpinBox>(&home, "spinBox_autoplay")->maximum(), kMaxAutoplaySeconds);
    setPlaying(home, 7, true);
    QVERIFY(!startTag().contains(QLatin1String("autoplay=\"7\""))); // only Apply writes it
    QTest::mouseClick(child<QToolButton>(&home, "toolButton_applay"), Qt::LeftButton);
    QVERIFY(startTag().contains(QLatin1String(" autoplay=\"7\" direction=\"rtl\" ")));
    QVERIFY(twinInStep());
    QCOMPARE(home.project().look().autoplaySeconds, 7);
    QVERIFY(home.project().look().rightToLeft);

    {
        Home restarted;
        QCOMPARE(shownPlaying(restarted), QStringLiteral("7 s|Right to left"));
    }

    const QString project = state_->path() + QStringLiteral("/playing.mrnp");
    saveAndWait(home, project);
    setPlaying(home, 0, false);
    home.on_apply_click();
    QVERIFY(startTag().contains(QLatin1String(" autoplay=\"off\" direction=\"ltr\" ")));
    QCOMPARE(shownPlaying(home), QStringLiteral("Off|Left to right"));

    openAndWait(home, project);
    QCOMPARE(shownPlaying(home), QStringLiteral("7 s|Right to left"));
    home.on_apply_click(); // an Apply after the opening keeps the project's choice
    QVERIFY(startTag().contains(QLatin1String(" autoplay=\"7\" direction=\"rtl\" ")));
}

void HomeTest::recentProjectsOfferWhatWasSavedAndOpened() {
    QuestionAnswerer answerer;
    Home home;
    auto* open = child<QToolButton>(&home, "toolButton_open");
    QVERIFY(open->menu());
    QVERIFY(!open->menu()->actions().value(0)->isEnabled()); // "No recent projects"
    const QString first = state_->path() + QStringLiteral("/first.mrnp");
    const QString second = state_->path() + QStringLiteral("/second");
    saveAndWait(home, first);
    saveAndWait(home, second);
    openAndWait(home, first);
    const QStringList expected{first, second + QStringLiteral(".mrnp")};
    QCOMPARE(home.recentProjectFiles(), expected);
    QCOMPARE(open->menu()->actions().size(), 2);
    QCOMPARE(open->menu()->actions().value(1)->data().toString(), expected.value(1));

    // The list lives with the wall: the next start offers it; a gone file leaves it with a word.
    Home restarted;
    auto* reopened = child<QToolButton>(&restarted, "toolButton_open");
    QCOMPARE(reopened->menu()->actions().size(), 2);
    QVERIFY(QFile::remove(first));
    reopened->menu()->actions().value(0)->trigger();
    QVERIFY(shownNotice(restarted).contains(first));
    QCOMPARE(restarted.recentProjectFiles(), QStringList{expected.value(1)});
}

namespace {

// Drags a file from outside onto the window and drops it at a point, as the desktop does: the
// window finds the widget under the point that takes drops. Says whether the drop was taken.
bool dropOnWindow(Home& home, QPoint at, const QString& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(home.windowHandle(), &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(home.windowHandle(), &leave);
        return false;
    }
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(home.windowHandle(), &drop);
    return drop.isAccepted();
}

QString emptyFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) ? path : QString();
}

} // namespace

// A deck dropped anywhere on the window (the wall, the toolbar, a field of the setting page) fills
// the import dialog; a file of another kind is refused with a word; the window's own fields do
// not swallow a dropped deck.
void HomeTest::droppedFilesAreImportedOrOpened_data() {
    QTest::addColumn<bool>("settingPage");
    QTest::addColumn<QString>("target"); // the widget the file is dropped on
    QTest::newRow("on the wall") << false << QStringLiteral("preview");
    QTest::newRow("on the toolbar") << false << QStringLiteral("toolButton_publish");
    QTest::newRow("on a path field") << true << QStringLiteral("lineEdit_file");
}

void HomeTest::droppedFilesAreImportedOrOpened() {
    QFETCH(bool, settingPage);
    QFETCH(QString, target);
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    if (settingPage) {
        home.on_setting_click();
        QTRY_COMPARE(home.settingPage()->width(), home.width() - 14);
        home.imageAction();
    }
    const QWidget* under = target == QLatin1String("preview")
                               ? static_cast<QWidget*>(home.preview())
                               : home.findChild<QWidget*>(target);
    QVERIFY(under && under->isVisible());
    const QPoint at = under->mapTo(&home, under->rect().center());
    QCOMPARE(home.childAt(at) == under || under->isAncestorOf(home.childAt(at)), true);

    for (const QString& name : {QStringLiteral("/Deck.PPTX"), QStringLiteral("/Handout.pdf")}) {
        const QString deck = emptyFile(state_->path() + name);
        QVERIFY(dropOnWindow(home, at, deck));
        QTRY_VERIFY(home.importDialog()->isVisible());
        QCOMPARE(child<QLineEdit>(home.importDialog(), "lineEdit_srcFile")->text(), deck);
        home.importDialog()->on_close_click();
        QTRY_VERIFY(!home.importDialog()->isVisible());
    }

    const QString text = emptyFile(state_->path() + QStringLiteral("/notes.txt"));
    QVERIFY(dropOnWindow(home, at, text));
    QVERIFY(shownNotice(home).contains(QLatin1String("notes.txt is neither a presentation")));
    QVERIFY(!home.importDialog()->isVisible());
}

// Tab onto a toolbar button draws a ring: the button does not look the same with the focus.
void HomeTest::toolbarFocusIsVisible() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QApplication::setActiveWindow(&home);
    QVERIFY(QTest::qWaitForWindowActive(&home));
    auto* import = child<QToolButton>(&home, "toolButton_import");
    auto* about = child<QToolButton>(&home, "toolButton_about");
    about->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(about->hasFocus());
    const QImage unfocused = import->grab().toImage();
    import->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(import->hasFocus());
    const QImage focused = import->grab().toImage();
    QVERIFY(focused != unfocused);
    saveShot(&home, QStringLiteral("toolbar-focus.png"));
}

QTEST_MAIN(HomeTest)
#include "home_test.moc"
