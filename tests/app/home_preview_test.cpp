// The main window with the real browser engine: the preview plays the work folder's wall, shows
// what Apply wrote, and the page's requests come back to the window through the web channel.
#include "app/home.h"
#include "app/preview_control.h"
#include "tests/app/home_support.h"
#include "tests/support/page_script.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace hometest;

namespace {

bool waitForLoad(PreviewControl* preview) {
    QSignalSpy loaded(preview, &PreviewControl::movieLoaded);
    return loaded.wait(30000) && loaded.first().first().toBool();
}

} // namespace

class HomePreviewTest : public QObject {
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private slots:
    void initTestCase();
    void previewPlaysTheWallAndHearsThePlayer();

private:
    QTemporaryDir application_;
    std::unique_ptr<QTemporaryDir> state_;
};

void HomePreviewTest::initTestCase() {
    QVERIFY2(prepareApplicationFolder(application_), "build murano_flash_template and the skin");
    state_ = freshState();
    if (!PreviewControl::engineAvailable()) {
        QSKIP("the browser engine is not installed");
    }
}

void HomePreviewTest::previewPlaysTheWallAndHearsThePlayer() {
    QuestionAnswerer answerer;
    Home home;
    home.show();
    PreviewControl* preview = home.preview();
    QVERIFY(!preview->isNull());
    QCOMPARE(answerer.asked(), 0);
    QCOMPARE(preview->pageUrl(), QUrl::fromLocalFile(workFolder() + QStringLiteral("index.html")));
    QVERIFY(waitForLoad(preview));

    // Apply reloads the page, which then plays the look Apply wrote.
    home.findChild<QLineEdit*>(QStringLiteral("lineEdit_link"))
        ->setText(QStringLiteral("https://example.org/a?b=1&c=2"));
    home.on_apply_click();
    QVERIFY(waitForLoad(preview));
    QWebEnginePage* page = preview->view()->page();
    const QString logoLink =
        QStringLiteral("(function () { var a = document.querySelector('a.mw-logo');"
                       " return a ? a.getAttribute('href') : ''; })()");
    QTRY_COMPARE_WITH_TIMEOUT(evaluate(page, logoLink).toString(),
                              QStringLiteral("https://example.org/a?b=1&c=2"), 15000);

    // The reading direction chosen on the setting page plays in the preview after Apply.
    home.findChild<QComboBox*>(QStringLiteral("comboBox_direction"))->setCurrentIndex(1);
    home.on_apply_click();
    QVERIFY(waitForLoad(preview));
    page = preview->view()->page();
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(page, QStringLiteral("document.querySelector('[dir=\"rtl\"]') ? 'rtl' : 'ltr'"))
            .toString(),
        QStringLiteral("rtl"), 15000);

    // The page reaches the window through the "host" object.
    QSignalSpy requests(preview, &PreviewControl::FlashCall);
    evaluate(page, QStringLiteral("new QWebChannel(qt.webChannelTransport, function (channel) {"
                                  "  channel.objects.host.flashCall('hello'); });"));
    QVERIFY(requests.wait(10000));
    QCOMPARE(requests.first().first().toString(), QStringLiteral("hello"));
}

QTEST_MAIN(HomePreviewTest)
#include "home_preview_test.moc"
