// The player inside a real Qt WebEngine view, as murano hosts it: the page is opened from disk, the
// web channel carries an object named "host", and the player's reload and full-screen buttons
// reach its flashCall(QString) slot.
#include "platform/player/gallery_script.h"
#include "platform/player/index_attributes.h"
#include "tests/support/page_script.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {

// The start tag as the program writes it, with the player's defaults where no value is given.
QByteArray startTag(const QHash<QByteArray, QByteArray>& values) {
    QByteArray tag = "<gallery ";
    for (const auto& attribute : murano::player::kIndexAttributes) {
        tag += QByteArray(attribute.name) + "=\"" +
               values.value(attribute.name, attribute.playerDefault) + "\" ";
    }
    return tag + ">";
}

class RecordingHost : public QObject {
    Q_OBJECT
public:
    QStringList calls;
public slots:
    void flashCall(const QString& request) { calls << request; }
};

bool copyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        const bool done =
            it.fileInfo().isDir() ? QDir().mkpath(target) : QFile::copy(source, target);
        if (!done) {
            return false;
        }
    }
    return true;
}

} // namespace

class WebEngineHostTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir wall_;

    void openWall(QWebEngineView& view) {
        view.resize(855, 532);
        view.show();
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.load(QUrl::fromLocalFile(wall_.filePath(QStringLiteral("index.html"))));
        QVERIFY(loaded.wait(20000));
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(view.page(),
                     QStringLiteral("document.getElementById('murano-wall').dataset.state"))
                .toString(),
            QStringLiteral("ready"), 10000);
    }

    QString wallData(QWebEngineView& view, const char* name) {
        return evaluate(view.page(),
                        QStringLiteral("document.getElementById('murano-wall').dataset.%1")
                            .arg(QLatin1String(name)))
            .toString();
    }

private slots:
    void initTestCase() {
        QVERIFY(wall_.isValid());
        QVERIFY(copyFolder(QStringLiteral(MURANO_BIN_DIR "/flash"), wall_.path()));
        const QString index = wall_.filePath(QStringLiteral("xml/images.xml"));
        QFile file(index);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n" +
                   startTag({{"back_ground", "0{0x203040}"},
                             {"btn_share", "0"},
                             {"btn_info", "0"},
                             {"book_title", "Hosted"}}) +
                   "\n"
                   "\t<img src=\"0.jpg\" width=\"960\" height=\"720\" />\n"
                   "\t<img src=\"1.jpg\" width=\"960\" height=\"720\" />\n"
                   "</gallery>\n");
        file.close();
        QVERIFY(murano::player::writeGalleryScript(index));
    }

    void buttonsReachTheHostThroughTheWebChannel() {
        QWebEngineView view;
        QWebChannel channel;
        RecordingHost host;
        channel.registerObject(QStringLiteral("host"), &host);
        view.page()->setWebChannel(&channel);
        openWall(view);
        QCOMPARE(wallData(view, "slides"), QStringLiteral("2"));
        evaluate(view.page(),
                 QStringLiteral("document.querySelector('.mw-fullscreen-button').click();"
                                "document.querySelector('.mw-reload-button').click(); true"));
        QTRY_COMPARE_WITH_TIMEOUT(
            host.calls, (QStringList{QStringLiteral("fullScreen"), QStringLiteral("reload")}),
            10000);
    }

    void pageFromDiskReadsTheIndexItself() {
        // The view murano shows lets a page from disk read the files beside it, so the index
        // itself is read and a stale twin cannot show old slides there.
        QWebEngineView view;
        openWall(view);
        QCOMPARE(wallData(view, "source"), QStringLiteral("xml"));
        QCOMPARE(wallData(view, "slides"), QStringLiteral("2"));
    }
};

QTEST_MAIN(WebEngineHostTest)
#include "webengine_host_test.moc"
