// Takes the user guide's screenshots from the real program: the main window playing its wall, a
// presentation imported through the real converter, the settings page and the dialogs, each saved
// as a PNG. Run it under a virtual display through scripts/guide-shots.sh, which also shrinks the
// pictures; it is not a test.
// Usage: murano_guide_shots <picture folder> <presentation>
#include "app/home.h"
#include "app/preview_control.h"
#include "chrome/frameless_dialog.h"
#include "chrome/mymessgebox.h"
#include "dialogs/bookinfo.h"
#include "dialogs/buttons.h"
#include "dialogs/template.h"
#include "import/import.h"
#include "publish/advanced.h"
#include "publish/publish.h"
#include "share/upload.h"
#include "wall/locations.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <cstdio>

namespace {

class Shooter {
public:
    Shooter(QString folder, Home& home) : folder_(std::move(folder)), home_(home) {}

    // A dialog as over(), closed again once it is taken.
    bool overThenClose(const QString& name, FramelessDialog* dialog) {
        const bool saved = over(name, dialog);
        dialog->on_close_click();
        QTest::qWait(800);
        return saved;
    }

    // The whole main window, with whatever lies over it.
    bool window(const QString& name) {
        QTest::qWait(600);
        return save(name, home_.frameGeometry());
    }

    // A dialog over the main window, once it has rolled or faded fully open.
    bool over(const QString& name, const QWidget* dialog) {
        if (const auto* frameless = qobject_cast<const FramelessDialog*>(dialog)) {
            for (int waited = 0; frameless->height() < frameless->fullHeight() && waited < 5000;
                 waited += 50) {
                QTest::qWait(50);
            }
        }
        QTest::qWait(600);
        // A rounded dialog may be taller than the shape its mask shows.
        const QRect shape =
            dialog->mask().isEmpty() ? dialog->rect() : dialog->mask().boundingRect();
        return save(name, QRect(dialog->mapToGlobal(shape.topLeft()), shape.size()));
    }

    // Waits until the preview has played the wall (at most 30 s), then lets the wall settle in.
    void waitForWall() {
        if (PreviewControl* preview = home_.preview(); preview && !preview->isNull()) {
            QSignalSpy loaded(preview, &PreviewControl::movieLoaded);
            loaded.wait(30000);
        }
        QTest::qWait(2500);
    }

    bool ok() const { return failures_ == 0; }

private:
    bool save(const QString& name, const QRect& area) {
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
            0, area.x(), area.y(), area.width(), area.height());
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (shot.isNull() || !shot.save(path)) {
            std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
            ++failures_;
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    }

    QString folder_;
    Home& home_;
    int failures_ = 0;
};

template <typename T> T* child(const QWidget* window, const char* name) {
    return window->findChild<T*>(QLatin1String(name));
}

void setText(const QWidget* window, const char* name, const QString& text) {
    if (auto* edit = child<QLineEdit>(window, name)) {
        edit->setText(text);
        edit->setCursorPosition(0); // shown from its start, as a field the user did not touch
    } else if (auto* area = child<QTextEdit>(window, name)) {
        area->setPlainText(text);
    }
}

// Imports the presentation with a page range; true once its slides are in the wall.
bool importRange(Import* dialog, const QString& range) {
    child<QRadioButton>(dialog, "radioButton_customRange")->click();
    setText(dialog, "lineEdit_customRange", range);
    QSignalSpy done(dialog, &Import::saveImageOK);
    dialog->on_import_click();
    return done.wait(180000);
}

MymessgeBox* shownMessage(const QWidget* dialog) {
    for (MymessgeBox* box : dialog->findChildren<MymessgeBox*>()) {
        if (box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

void shootImport(Shooter& shoot, Home& home, const QString& deck) {
    home.openPresentation(deck);
    Import* dialog = home.importDialog();
    child<QRadioButton>(dialog, "radioButton_customRange")->click();
    setText(dialog, "lineEdit_customRange", QStringLiteral("1-4, 6"));
    shoot.over(QStringLiteral("import"), dialog);
    if (!importRange(dialog, QStringLiteral("1-4, 6"))) {
        std::fprintf(stderr, "the import did not finish\n");
    }
    shoot.waitForWall();
    shoot.window(QStringLiteral("wall"));

    // A range past the deck's end: the wall stays and the message tells the deck's size.
    home.openPresentation(deck);
    child<QRadioButton>(dialog, "radioButton_customRange")->click();
    setText(dialog, "lineEdit_customRange", QStringLiteral("9"));
    dialog->on_import_click();
    for (int waited = 0; dialog->isBusy() && waited < 180000; waited += 100) {
        QTest::qWait(100);
    }
    if (MymessgeBox* box = shownMessage(dialog)) {
        shoot.over(QStringLiteral("import-message"), box);
        box->hide();
    }
    dialog->on_close_click();
    QTest::qWait(800);
}

void shootLook(Shooter& shoot, Home& home) {
    home.on_template_click();
    Template* chooser = home.templateDialog();
    auto* list = child<QListWidget>(chooser, "listWidget");
    const int warm = list->count() > 8 ? 8 : 0;
    list->setCurrentRow(warm);
    emit list->itemPressed(list->item(warm));
    shoot.over(QStringLiteral("templates"), chooser);
    chooser->on_ok_click();
    shoot.waitForWall();

    home.on_setting_click();
    const QWidget* page = child<QWidget>(&home, "widget_setting");
    for (int waited = 0; page->width() < home.width() - 14 && waited < 5000; waited += 50) {
        QTest::qWait(50);
    }
    setText(&home, "lineEdit_link", QStringLiteral("https://example.org/week12"));
    shoot.window(QStringLiteral("settings"));

    home.on_book_click();
    BookInfo* book = home.bookInfoDialog();
    setText(book, "lineEdit_bookTitle", QStringLiteral("Week 12"));
    setText(book, "lineEdit_Email", QStringLiteral("team@example.org"));
    setText(book, "lineEdit_WebSite", QStringLiteral("https://example.org"));
    setText(book, "lineEdit_display", QStringLiteral("Quorvex team"));
    setText(book, "textEdit_discrption",
            QStringLiteral("The week's sales figures, one slide per region."));
    shoot.overThenClose(QStringLiteral("book-info"), book);

    home.on_buttons_click();
    shoot.overThenClose(QStringLiteral("buttons"), home.buttonsDialog());
    home.on_home_click();
    QTest::qWait(1200);
}

void shootPublishing(Shooter& shoot, Home& home, const QString& output) {
    home.on_publish_click();
    Publish* publish = home.publishDialog();
    publish->on_html_click();
    QTest::qWait(1200);
    setText(publish, "lineEdit_outPutFolder", output);
    setText(publish, "lineEdit_fileName", QStringLiteral("index"));
    shoot.over(QStringLiteral("publish"), publish);
    publish->on_advanced_click();
    QTest::qWait(1200);
    setText(publish->advanced(), "lineEdit_title", QStringLiteral("Week 12"));
    shoot.over(QStringLiteral("publish-advanced"), publish->advanced());
    publish->advanced()->close();
    publish->on_close_click();
    QTest::qWait(800);

    home.on_share_click();
    shoot.overThenClose(QStringLiteral("upload"), home.uploadDialog());
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: murano_guide_shots <picture folder> <presentation>\n");
        return 2;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    QDir().mkpath(folder);

    // The shipped program's files (under the installed folder's name when the script could lend
    // it one, so that the pictures show the paths users see), and a first start's state that
    // nothing else shares.
    const QString installed = qEnvironmentVariable("MURANO_SHOTS_APP_FOLDER");
    setApplicationFolder(installed.isEmpty() ? QStringLiteral(MURANO_BIN_DIR) : installed);
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (state.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("HOME", state.path().toLocal8Bit());
    // The presentation under a short, plain name, as a user keeps one.
    QTemporaryDir documents(QStringLiteral("/tmp/guide-XXXXXX"));
    const QString deck = documents.path() + QStringLiteral("/Week 12.pptx");
    QFile::copy(arguments.at(2), deck);

    Home home;
    home.move(40, 40);
    home.show();
    home.setWindowOpacity(1.0);
    Shooter shoot(folder, home);
    shoot.waitForWall();
    shoot.window(QStringLiteral("start"));

    shootImport(shoot, home, deck);
    shootLook(shoot, home);
    shootPublishing(shoot, home, QStringLiteral("/srv/www/week12"));
    return shoot.ok() ? 0 : 1;
}
