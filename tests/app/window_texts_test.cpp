// Every text of the main window's pages and of the import, publish and upload dialogs shows whole,
// in the skin's fonts, at the window's first size and maximised: no label, list entry or button
// text is cut, and nothing sits under the title bar or outside its panel. With MURANO_SHOTS set,
// each window is also saved there as a PNG, to look at.
#include "app/home.h"
#include "app/setting_page.h"
#include "chrome/frameless_dialog.h"
#include "import/import.h"
#include "publish/publish.h"
#include "share/upload.h"
#include "tests/app/home_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QToolButton>

#include <functional>

using namespace hometest;

namespace {

QString plainText(const QString& text) {
    if (!Qt::mightBeRichText(text)) {
        return text;
    }
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// Why a label's text does not show whole, or empty when it does.
QString labelCut(const QLabel* label) {
    const QString text = plainText(label->text()).trimmed();
    if (text.isEmpty() || label->wordWrap()) {
        return QString();
    }
    const int room =
        label->contentsRect().width() - 2 * label->margin() - std::max(label->indent(), 0);
    const int needed = label->fontMetrics().horizontalAdvance(text);
    return needed > room
               ? QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(room)
               : QString();
}

// A button needs the room its style asks for its text, icon and indicator.
QString buttonCut(const QAbstractButton* button) {
    if (button->text().isEmpty()) {
        return QString();
    }
    const int needed = button->sizeHint().width();
    return needed > button->width() ? QStringLiteral("\"%1\" needs %2 px, has %3")
                                          .arg(button->text())
                                          .arg(needed)
                                          .arg(button->width())
                                    : QString();
}

// Every entry of a list shows whole in the list's edit field, not only the current one.
QString comboCut(const QComboBox* combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    const int room =
        combo->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .width();
    for (int i = 0; i < combo->count(); ++i) {
        const int needed = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
        if (needed > room) {
            return QStringLiteral("\"%1\" needs %2 px, has %3")
                .arg(combo->itemText(i))
                .arg(needed)
                .arg(room);
        }
    }
    return QString();
}

QString textCut(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return labelCut(label);
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return buttonCut(button);
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
        return comboCut(combo);
    }
    return QString();
}

bool hasText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return !label->text().isEmpty();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return !button->text().isEmpty();
    }
    return true;
}

// Every shown text of a window that is cut, by its own width or by a panel around it.
QStringList cutTexts(const QWidget* window) {
    QStringList cuts;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || widget->width() == 0) {
            continue;
        }
        const bool texty =
            qobject_cast<const QLabel*>(widget) || qobject_cast<const QAbstractButton*>(widget) ||
            qobject_cast<const QComboBox*>(widget) || qobject_cast<const QLineEdit*>(widget);
        if (!texty) {
            continue;
        }
        const QString why = textCut(widget);
        if (!why.isEmpty()) {
            cuts << widget->objectName() + QStringLiteral(": ") + why;
        }
        if (!hasText(widget)) {
            continue; // a picture of the skin may reach beyond its panel
        }
        const QRect whole(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (shownPart(widget, window) != whole) {
            cuts << widget->objectName() + QStringLiteral(": cut by its panel");
        }
    }
    return cuts;
}

void saveShot(const QWidget* widget, const QString& name) {
    if (!qEnvironmentVariableIsEmpty("MURANO_SHOTS")) {
        const_cast<QWidget*>(widget)->grab().save(qEnvironmentVariable("MURANO_SHOTS") +
                                                  QLatin1Char('/') + name + QStringLiteral(".png"));
    }
}

// Opens a dialog the way its toolbar button does and waits until it has rolled fully open.
bool openFully(FramelessDialog* dialog, const std::function<void()>& open) {
    open();
    return QTest::qWaitFor([dialog] {
        return dialog->isVisible() && dialog->height() == dialog->fullHeight() &&
               !dialog->isAnimating();
    });
}

bool maximise(Home& home) {
    home.on_max_click();
    return QTest::qWaitFor(
        [&home] { return home.isMaximised() && home.size() == home.screen()->geometry().size(); });
}

// The setting page slides in over the home page; it is whole once it spans the window.
bool showSettings(Home& home) {
    home.on_setting_click();
    return QTest::qWaitFor([&home] {
        const QWidget* page = home.settingPage();
        return page->x() == 7 && page->width() == home.width() - 14;
    });
}

// What a row shows: the main window on one of its pages or one of its dialogs.
using Shower = std::function<const QWidget*(Home&)>;

const QWidget* homePage(Home& home) {
    return home.findChild<QWidget*>(QStringLiteral("widget_home"));
}

const QWidget* settingPage(Home& home, int backgroundMode) {
    if (!showSettings(home)) {
        return nullptr;
    }
    if (backgroundMode == 0) {
        home.imageAction();
    } else if (backgroundMode == 1) {
        home.pureAction();
    } else {
        home.gradientAction();
    }
    return home.settingPage();
}

const QWidget* importDialog(Home& home) {
    return openFully(home.importDialog(), [&home] { home.on_import_click(); }) ? home.importDialog()
                                                                               : nullptr;
}

const QWidget* publishDialog(Home& home, const char* mode) {
    if (!openFully(home.publishDialog(), [&home] { home.on_publish_click(); })) {
        return nullptr;
    }
    QToolButton* button =
        home.publishDialog()->findChild<QToolButton*>(QLatin1String("toolButton_") + mode);
    button->click();
    // The path panel folds away and opens again with the mode's texts.
    const auto* panel = home.publishDialog()->findChild<QWidget*>(QStringLiteral("widget"));
    const auto* suffix = home.publishDialog()->findChild<QLabel*>(QStringLiteral("label_back"));
    const bool settled = QTest::qWaitFor([&] {
        return suffix->text() == QLatin1Char('.') + QLatin1String(mode) &&
               panel->width() == home.publishDialog()->width();
    });
    return settled ? home.publishDialog() : nullptr;
}

// The publish dialog's HTML Meta Settings, opened by its gear.
const QWidget* metaSettings(Home& home) {
    if (!publishDialog(home, "html")) {
        return nullptr;
    }
    auto* advanced = home.publishDialog()->findChild<FramelessDialog*>();
    return advanced && openFully(advanced, [&home] { home.publishDialog()->on_advanced_click(); })
               ? advanced
               : nullptr;
}

// The upload dialog's second page, as a logged-in user sees it, with a long book name.
const QWidget* uploadDetails(Home& home) {
    if (!openFully(home.uploadDialog(), [&home] { home.on_share_click(); })) {
        return nullptr;
    }
    auto* pages = home.uploadDialog()->findChild<QStackedWidget*>(QStringLiteral("stackedWidget"));
    pages->setCurrentIndex(1);
    auto* name = home.uploadDialog()->findChild<QLineEdit*>(QStringLiteral("lineEdit_bookName"));
    name->setText(QStringLiteral("Quarterly-Review"));
    home.uploadDialog()->changeUploadUrl(name->text());
    return home.uploadDialog();
}

const QWidget* uploadLogin(Home& home) {
    return openFully(home.uploadDialog(), [&home] { home.on_share_click(); }) ? home.uploadDialog()
                                                                              : nullptr;
}

} // namespace

class WindowTextsTest : public QObject {
    Q_OBJECT

public:
    static void initMain() {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("MURANO_NO_WEBENGINE", "1");
        // The offscreen screen is wider than the window, so that maximising makes it bigger.
        if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
            qputenv("QT_QPA_PLATFORM",
                    "offscreen:configfile=" MURANO_SOURCE_DIR "/tests/app/wide_screen.json");
        }
    }

private slots:
    void initTestCase() {
        QVERIFY2(prepareApplicationFolder(application_),
                 "build murano_flash_template and the skin");
    }
    void init() { state_ = freshState(); }
    void everyTextShowsWhole_data();
    void everyTextShowsWhole();
    void tabRowStaysClearOfTheTitleBar();
    void pathFieldsGrowWithTheWindow();

private:
    QTemporaryDir application_;
    std::unique_ptr<QTemporaryDir> state_;
};

void WindowTextsTest::everyTextShowsWhole_data() {
    QTest::addColumn<Shower>("show");
    QTest::addColumn<bool>("maximised");
    // The pages follow the window's size; a dialog keeps its own, so it is checked once.
    const QList<QPair<const char*, Shower>> pages{
        {"home page", homePage},
        {"setting page image", [](Home& home) { return settingPage(home, 0); }},
        {"setting page pure colour", [](Home& home) { return settingPage(home, 1); }},
        {"setting page gradient", [](Home& home) { return settingPage(home, 2); }},
    };
    for (const auto& [name, show] : pages) {
        QTest::addRow("%s", name) << show << false;
        QTest::addRow("%s maximised", name) << show << true;
    }
    const QList<QPair<const char*, Shower>> dialogs{
        {"import", importDialog},
        {"publish html", [](Home& home) { return publishDialog(home, "html"); }},
        {"publish zip", [](Home& home) { return publishDialog(home, "zip"); }},
        {"publish exe", [](Home& home) { return publishDialog(home, "exe"); }},
        {"publish html meta", metaSettings},
        {"upload login", uploadLogin},
        {"upload details", uploadDetails},
    };
    for (const auto& [name, show] : dialogs) {
        QTest::addRow("%s", name) << show << false;
    }
}

void WindowTextsTest::everyTextShowsWhole() {
    QFETCH(Shower, show);
    QFETCH(bool, maximised);
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    QVERIFY(!maximised || maximise(home));
    const QWidget* shown = show(home);
    QVERIFY(shown);
    QTest::qWait(50);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
    saveShot(&home, name + QStringLiteral("-window"));
    if (shown->isWindow()) {
        saveShot(shown, name);
    }
    const QStringList cuts = cutTexts(shown);
    QVERIFY2(cuts.isEmpty(), qPrintable(cuts.join(QStringLiteral("; "))));
}

namespace {

// The colour just right of the tabs, half way down them: the panel's, not the title band's.
QColor besideTheTabs(Home& home) {
    const auto* tab = home.findChild<QToolButton*>(QStringLiteral("toolButton_setting"));
    return home.grab().toImage().pixelColor(tab->geometry().right() + 20,
                                            tab->geometry().center().y());
}

} // namespace

// A maximised window keeps its title band as thick as before: the tab row does not sit under it.
void WindowTextsTest::tabRowStaysClearOfTheTitleBar() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    const QColor normal = besideTheTabs(home);
    QVERIFY(maximise(home));
    QCOMPARE(besideTheTabs(home), normal);
    const auto* title = home.findChild<QLabel*>(QStringLiteral("label_title"));
    for (const char* name : {"toolButton_home", "toolButton_setting"}) {
        const auto* tab = home.findChild<QToolButton*>(QLatin1String(name));
        QVERIFY2(tab->geometry().top() > title->geometry().bottom(), name);
        QVERIFY2(home.childAt(tab->geometry().center()) == tab, name);
    }
}

// The path fields of the setting page take the room a wider window gives.
void WindowTextsTest::pathFieldsGrowWithTheWindow() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    QVERIFY(QTest::qWaitForWindowExposed(&home));
    QVERIFY(showSettings(home));
    home.imageAction();
    const char* fields[] = {"lineEdit_logoFile", "lineEdit_file"};
    QList<int> before;
    for (const char* field : fields) {
        before << home.findChild<QLineEdit*>(QLatin1String(field))->width();
    }
    QVERIFY(maximise(home));
    for (int i = 0; i < 2; ++i) {
        const auto* field = home.findChild<QLineEdit*>(QLatin1String(fields[i]));
        QTRY_VERIFY2(field->width() >= before.at(i) + 100, fields[i]);
        // At the window's first size a field shows a path of some 20 characters.
        QVERIFY2(before.at(i) >= field->fontMetrics().averageCharWidth() * 20, fields[i]);
    }
}

QTEST_MAIN(WindowTextsTest)
#include "window_texts_test.moc"
