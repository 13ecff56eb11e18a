// The template chooser and the about box: the preview list read from a template folder of the
// test's own, the choices the chooser hands over (and when it hands none), a choice made in the
// main window becoming the wall's background, and the about box's version, year and links.
#include "app/home.h"
#include "chrome/mylabel.h"
#include "cmake/version.h"
#include "dialogs/about.h"
#include "dialogs/template.h"
#include "dialogs/template_previews.h"
#include "tests/app/home_support.h"

#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrl>

using namespace hometest;

namespace {

void writePicture(const QString& path, QColor colour) {
    QDir().mkpath(QFileInfo(path).path());
    QImage image(32, 20, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "JPG"));
}

void writeText(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

myLabel* buttonWithTip(const QWidget* dialog, const QString& tip) {
    const QList<myLabel*> buttons = dialog->findChildren<myLabel*>();
    for (myLabel* button : buttons) {
        if (button->toolTip() == tip) {
            return button;
        }
    }
    return nullptr;
}

QListWidgetItem* itemNamed(QListWidget* list, const QString& name) {
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.first();
}

// Records what the chooser emits, in order: "ok:<path>" and "close".
struct Emitted {
    explicit Emitted(Template* chooser) {
        QObject::connect(chooser, &Template::templateOk,
                         [this](const QString& path) { events << QStringLiteral("ok:") + path; });
        QObject::connect(chooser, &Template::templateClose,
                         [this] { events << QStringLiteral("close"); });
    }
    QStringList events;
};

// Receives what the about box hands to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TemplateAboutTest : public QObject {
    Q_OBJECT

public:
    static void initMain() {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("MURANO_NO_WEBENGINE", "1");
    }

private slots:
    void initTestCase();
    void init();
    void previewsAreEveryJpegUnderTheFolder();
    void missingFolderGivesAnEmptyUnstyledList();
    void choicesHandedOver_data();
    void choicesHandedOver();
    void choiceInTheMainWindowBecomesTheBackground();
    void aboutShowsTheBuiltVersionAndThisYear();
    void aboutLinksGoToTheDesktopUnchanged();

private:
    QString previewFolder() const { return application_.path() + QStringLiteral("/template"); }

    QTemporaryDir application_;
    std::unique_ptr<QTemporaryDir> state_;
};

void TemplateAboutTest::initTestCase() {
    QVERIFY2(prepareApplicationFolder(application_), "build murano_flash_template and the skin");
    const QString folder = previewFolder();
    writePicture(folder + QStringLiteral("/Warm Paper.jpg"), Qt::yellow);
    writePicture(folder + QStringLiteral("/Night.JPG"), Qt::black);
    writePicture(folder + QStringLiteral("/v1.2.final.Jpg"), Qt::gray);
    writePicture(folder + QStringLiteral("/more/Deep Ocean.jpg"), Qt::blue);
    writeText(folder + QStringLiteral("/Broken.jpg"), "not a picture");
    writeText(folder + QStringLiteral("/notes.txt"), "previews");
    writeText(folder + QStringLiteral("/more/Deep Ocean.jpg.txt"), "about it");
}

void TemplateAboutTest::init() {
    state_ = freshState();
}

void TemplateAboutTest::previewsAreEveryJpegUnderTheFolder() {
    const QList<TemplatePreview> previews = findTemplatePreviews(previewFolder());
    QStringList names;
    QStringList paths;
    for (const TemplatePreview& preview : previews) {
        names << preview.name;
        paths << preview.path;
    }
    const QStringList expectedNames{QStringLiteral("Broken"), QStringLiteral("Deep Ocean"),
                                    QStringLiteral("Night"), QStringLiteral("v1.2.final"),
                                    QStringLiteral("Warm Paper")};
    QCOMPARE(names, expectedNames);
    QCOMPARE(paths.at(1), previewFolder() + QStringLiteral("/more/Deep Ocean.jpg"));
    QCOMPARE(paths.at(3), previewFolder() + QStringLiteral("/v1.2.final.Jpg"));

    // The chooser lists them alike; a picture that cannot be read still gets its item.
    Template chooser;
    auto* list = chooser.findChild<QListWidget*>(QStringLiteral("listWidget"));
    QCOMPARE(list->count(), expectedNames.size());
    for (int i = 0; i < list->count(); ++i) {
        QCOMPARE(list->item(i)->text(), expectedNames.at(i));
    }
    QVERIFY(itemNamed(list, QStringLiteral("Broken"))->icon().isNull());
    QVERIFY(!itemNamed(list, QStringLiteral("Night"))->icon().isNull());
    QCOMPARE(list->viewMode(), QListView::IconMode);
    QVERIFY(list->styleSheet().contains(QLatin1String("#90bea7")));
}

void TemplateAboutTest::missingFolderGivesAnEmptyUnstyledList() {
    QTemporaryDir bare;
    setApplicationFolder(bare.path());
    Template chooser;
    setApplicationFolder(application_.path());
    auto* list = chooser.findChild<QListWidget*>(QStringLiteral("listWidget"));
    QCOMPARE(list->count(), 0);
    QVERIFY(list->styleSheet().isEmpty());
    Emitted emitted(&chooser);
    chooser.on_ok_click();
    QCOMPARE(emitted.events, QStringList{QStringLiteral("close")});
}

// Each row: presses on items (by name) before the first confirmation, how it is confirmed, and
// what is emitted then and again at the next opening confirmed with OK.
void TemplateAboutTest::choicesHandedOver_data() {
    QTest::addColumn<QString>("pressed");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("handedOver");

    QTest::newRow("OK before any choice") << QString() << "OK" << QString();
    QTest::newRow("OK after a choice") << "Night"
                                       << "OK"
                                       << "/Night.JPG";
    QTest::newRow("double-click in a subfolder") << QString() << "double-click Deep Ocean"
                                                 << "/more/Deep Ocean.jpg";
    QTest::newRow("Cancel after a choice") << "Night"
                                           << "Cancel" << QString();
    QTest::newRow("close button after a choice") << "Night"
                                                 << "Close" << QString();
}

void TemplateAboutTest::choicesHandedOver() {
    QFETCH(QString, pressed);
    QFETCH(QString, confirmation);
    QFETCH(QString, handedOver);

    Template chooser;
    auto* list = chooser.findChild<QListWidget*>(QStringLiteral("listWidget"));
    QCOMPARE(chooser.height(), 0); // collapsed until it rolls open
    chooser.showDialog();
    QTRY_COMPARE(chooser.height(), 520); // thirteen steps of 40 pixels
    QCOMPARE(chooser.fullHeight(), 500);

    const auto press = [&](const QString& name) {
        QListWidgetItem* item = itemNamed(list, name);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {},
                            list->visualItemRect(item).center());
    };
    if (!pressed.isEmpty()) {
        press(pressed);
    }
    Emitted emitted(&chooser);
    if (confirmation.startsWith(QLatin1String("double-click "))) {
        QListWidgetItem* item = itemNamed(list, confirmation.mid(13));
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(buttonWithTip(&chooser, confirmation), Qt::LeftButton);
    }
    QStringList expected;
    if (!handedOver.isEmpty()) {
        expected << QStringLiteral("ok:") + previewFolder() + handedOver;
    }
    expected << QStringLiteral("close");
    QCOMPARE(emitted.events, expected);
    QTRY_VERIFY(!chooser.isVisible());

    // The choice outlives the closing: OK at the next opening hands it over again.
    emitted.events.clear();
    chooser.showDialog();
    QTRY_COMPARE(chooser.height(), 520);
    QTest::mouseClick(buttonWithTip(&chooser, QStringLiteral("OK")), Qt::LeftButton);
    const QString kept = chooser.currentTemplate();
    QCOMPARE(emitted.events.size(), kept.isEmpty() ? 1 : 2);
    if (!kept.isEmpty()) {
        QCOMPARE(emitted.events.first(), QStringLiteral("ok:") + kept);
        QVERIFY(QFile::exists(kept));
    }
}

void TemplateAboutTest::choiceInTheMainWindowBecomesTheBackground() {
    QuestionAnswerer answerer;
    Home home;
    const QString indexFile = workFolder() + QStringLiteral("xml/images.xml");
    const QByteArray before = readAll(indexFile);
    Template* chooser = home.templateDialog();
    auto* list = chooser->findChild<QListWidget*>(QStringLiteral("listWidget"));

    // OK with nothing chosen leaves the wall as it was.
    home.on_template_click();
    chooser->on_ok_click();
    QCOMPARE(readAll(indexFile), before);

    home.on_template_click();
    chooser->doubleClickTemplate(itemNamed(list, QStringLiteral("Deep Ocean")));
    const QString source = previewFolder() + QStringLiteral("/more/Deep Ocean.jpg");
    QCOMPARE(readAll(workFolder() + QStringLiteral("background/background.jpg")), readAll(source));
    const QString startTag = QString::fromUtf8(readAll(indexFile)).section(QLatin1Char('\n'), 1, 1);
    QVERIFY2(
        startTag.contains(QLatin1String("back_ground=\"2{background/background.jpg,stretch}\" ")),
        qPrintable(startTag));
}

void TemplateAboutTest::aboutShowsTheBuiltVersionAndThisYear() {
    About about;
    QVERIFY(QString::fromLatin1(MURANO_VERSION).contains(QRegularExpression("^\\d+\\.\\d+")));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("label"))->text(),
             QStringLiteral("Quorvex Murano ") + QLatin1String(MURANO_VERSION));
    const QString notice = about.findChild<QLabel*>(QStringLiteral("label_2"))->text();
    QVERIFY2(notice.contains(QString::number(QDate::currentDate().year())), qPrintable(notice));

    // It fades in, and tells that it closes as the fade out begins.
    about.showDialog();
    QTRY_COMPARE(about.windowOpacity(), 1.0);
    QSignalSpy closing(&about, &About::aboutClose);
    QTest::mouseClick(buttonWithTip(&about, QStringLiteral("Close")), Qt::LeftButton);
    QCOMPARE(closing.count(), 1);
    QVERIFY(about.isVisible());
    QTRY_VERIFY(!about.isVisible());
}

void TemplateAboutTest::aboutLinksGoToTheDesktopUnchanged() {
    UrlRecorder desktop;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &desktop, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &desktop, "open");
    About about;
    QStringList targets;
    const QList<QLabel*> labels = about.findChildren<QLabel*>();
    for (QLabel* label : labels) {
        const QRegularExpressionMatch anchor =
            QRegularExpression(QStringLiteral("href=\"([^\"]+)\"")).match(label->text());
        if (anchor.hasMatch()) {
            targets << anchor.captured(1);
            emit label->linkActivated(anchor.captured(1));
        }
    }
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));

    targets.sort();
    QCOMPARE(targets,
             QStringList({QLatin1String(About::kWebPage), QLatin1String(About::kSupportMail)}));
    QCOMPARE(desktop.opened.size(), 2);
    for (const QUrl& url : desktop.opened) {
        QVERIFY(targets.contains(url.toString()));
    }
}

QTEST_MAIN(TemplateAboutTest)
#include "template_about_test.moc"
