// The upload dialog offscreen against a real bookservice on 127.0.0.1: login and its messages,
// the remembered credentials, and uploads that succeed, meet an existing book, are cancelled or
// lose the service halfway.
#include "chrome/mymessgebox.h"
#include "share/credentials.h"
#include "share/upload.h"
#include "tests/bookservice/service_harness.h"
#include "tests/publish/wall_fixture.h"
#include "wall/folders.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSettings>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>
#include <sys/stat.h>

using bookservice_test::Service;

namespace {

const QString kUser = QStringLiteral("alice w");
// Every character that a careless form body would mangle.
const QString kPassword = QString::fromUtf8("pa ss&=+%ü");
// How long to wait for what must happen soon; generous, for machines under load.
constexpr int kPatienceMs = 60000;

template <typename T> T* part(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(widget);
    return widget;
}

QString shownMessage(upLoad& dialog) {
    auto* box = dialog.findChild<MymessgeBox*>();
    return box->isVisible() ? part<QLabel>(box, "label_text")->text() : QString();
}

// Waits for a message, closes the box and answers the message.
QString takeMessage(upLoad& dialog) {
    auto* box = dialog.findChild<MymessgeBox*>();
    if (!QTest::qWaitFor([box] { return box->isVisible(); }, kPatienceMs)) {
        return {};
    }
    const QString text = shownMessage(dialog);
    box->close();
    return text;
}

bool fieldsEnabled(upLoad& dialog) {
    for (const char* name :
         {"lineEdit_title", "lineEdit_key", "lineEdit_description", "lineEdit_bookName"}) {
        if (!part<QLineEdit>(&dialog, name)->isEnabled()) {
            return false;
        }
    }
    return true;
}

// How many uploads the service's request log shows.
int uploadRequests(Service& service) {
    const std::string log = service.log();
    int count = 0;
    for (auto at = log.find("fp-zip"); at != std::string::npos; at = log.find("fp-zip", at + 1)) {
        ++count;
    }
    return count;
}

bool temporaryFilesGone() {
    return !QFile::exists(upLoad::temporaryArchive()) && !QFile::exists(upLoad::temporaryPage());
}

int fileMode(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

// Passes every connection through to a service and holds the first upload halfway: once a
// megabyte of it has passed, nothing more reaches the service and `held` runs. The transfer can
// then neither end nor be refused before the test acts, on a quiet machine or a busy one.
class UploadHold : public QObject {
public:
    UploadHold(const Service& service, std::function<void()> held)
        : servicePort_(quint16(service.port())), held_(std::move(held)) {
        listener_.listen(QHostAddress::LocalHost);
        connect(&listener_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = listener_.nextPendingConnection()) {
                relay(client);
            }
        });
    }
    quint16 port() const { return listener_.serverPort(); }

private:
    static constexpr qint64 kHoldAfter = 1 << 20;

    void relay(QTcpSocket* client) {
        // Bytes left unread stay with the client, which then stops sending.
        client->setReadBufferSize(64 * 1024);
        auto* service = new QTcpSocket(client);
        // Bytes of the upload passed so far, counted from its request line; -1 before it. The
        // connection may have carried other requests first.
        auto uploaded = std::make_shared<qint64>(-1);
        auto forward = [=] {
            while (service->state() == QAbstractSocket::ConnectedState &&
                   !(*uploaded >= 0 && held_ == nullptr)) {
                const QByteArray bytes = client->read(64 * 1024);
                if (bytes.isEmpty()) {
                    return;
                }
                const qsizetype start = bytes.indexOf("POST /app/flipbook/fp-zip.php ");
                if (*uploaded < 0 && start >= 0) {
                    *uploaded = 0;
                }
                if (*uploaded >= 0) {
                    *uploaded += bytes.size() - std::max<qsizetype>(start, 0);
                }
                service->write(bytes);
                if (*uploaded >= kHoldAfter && held_) {
                    QMetaObject::invokeMethod(this, std::exchange(held_, nullptr),
                                              Qt::QueuedConnection);
                }
            }
        };
        connect(client, &QTcpSocket::readyRead, service, forward);
        connect(service, &QTcpSocket::connected, service, forward);
        connect(service, &QTcpSocket::readyRead, client,
                [=] { client->write(service->readAll()); });
        connect(client, &QTcpSocket::disconnected, service, [=] { service->abort(); });
        connect(service, &QTcpSocket::disconnected, client, [=] { client->disconnectFromHost(); });
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        service->connectToHost(QHostAddress::LocalHost, servicePort_);
    }

    QTcpServer listener_;
    quint16 servicePort_;
    std::function<void()> held_; // empty once it has run: the upload is held from then on
};

} // namespace

class UploadDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> home_;
    std::unique_ptr<Service> service_;

    std::unique_ptr<upLoad> dialogFor(int port) {
        qputenv("MURANO_BOOK_SERVICE", QByteArray("http://127.0.0.1:") + QByteArray::number(port));
        auto dialog = std::make_unique<upLoad>();
        dialog->showDialog();
        return dialog;
    }
    std::unique_ptr<upLoad> dialogFor(const Service& service) { return dialogFor(service.port()); }

    void login(upLoad& dialog, const QString& user, const QString& password) {
        part<QLineEdit>(&dialog, "lineEdit_user")->setText(user);
        part<QLineEdit>(&dialog, "lineEdit_pwd")->setText(password);
        dialog.on_Login_click();
    }

    std::unique_ptr<upLoad> loggedIn(int port) {
        auto dialog = dialogFor(port);
        login(*dialog, kUser, kPassword);
        if (!QTest::qWaitFor([&] { return dialog->isLoggedIn(); }, kPatienceMs)) {
            return {};
        }
        return dialog;
    }
    std::unique_ptr<upLoad> loggedIn(const Service& service) { return loggedIn(service.port()); }

    // Types the book name as a user does, so that it is normalised on the way.
    static void typeBookName(upLoad& dialog, const QString& name) {
        auto* field = part<QLineEdit>(&dialog, "lineEdit_bookName");
        field->clear();
        QTest::keyClicks(field, name);
    }

    // A wall with an incompressible file, so that its upload is larger than what the hold lets
    // through.
    static void addBulk(int megabytes) {
        QFile bulk(workFolder() + "wallimages/bulk.bin");
        QVERIFY(bulk.open(QIODevice::WriteOnly));
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < megabytes; ++i) {
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()),
                                                  block.size() / 4);
            bulk.write(block);
        }
    }

private slots:
    void initTestCase() {
        home_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", home_->filePath("state").toLocal8Bit());
        qputenv("XDG_DATA_HOME", home_->filePath("data").toLocal8Bit());
        setApplicationFolder(QStringLiteral(MURANO_BIN_DIR));
        makeWall(workFolder(), WallFixture{3, true});
        service_ = std::make_unique<Service>();
        QVERIFY(service_->port() > 0);
        QCOMPARE(
            service_->addUser(kUser.toStdString(), "alice@example.org", kPassword.toStdString()),
            0);
    }

    void loginMessages_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        const QString empty = "The user name or password is empty.\nPlease input!";
        QTest::newRow("empty name") << "" << kPassword << empty;
        QTest::newRow("empty password") << kUser << "" << empty;
        QTest::newRow("unknown name")
            << "bob" << kPassword << "The user name is incorrect.\nPlease try again.";
        QTest::newRow("wrong password") << kUser << "pa ss"
                                        << "The password is incorrect.\nPlease try again.";
    }
    void loginMessages() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        auto dialog = dialogFor(*service_);
        login(*dialog, user, password);
        QCOMPARE(takeMessage(*dialog), message);
        QVERIFY(!dialog->isLoggedIn());
        QCOMPARE(part<QStackedWidget>(dialog.get(), "stackedWidget")->currentIndex(), 0);
    }

    // A pair is remembered only once the service took it: a refused password is never stored,
    // not even over an earlier good one. Unticked, a login forgets both. The file is the owner's
    // alone; a new dialog shows it.
    void rememberedCredentials() {
        auto dialog = dialogFor(*service_);
        login(*dialog, kUser, "wrong");
        QVERIFY(!takeMessage(*dialog).isEmpty());
        QSettings stored(credentialsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value("Usr/Inf").toString(), QString());
        login(*dialog, kUser, kPassword);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isLoggedIn(), 30000);
        stored.sync();
        QCOMPARE(stored.value("Usr/Usr").toString(), kUser);
        QCOMPARE(stored.value("Usr/Inf").toString(), kPassword);
        QCOMPARE(fileMode(credentialsFile()), 0600);

        auto restarted = dialogFor(*service_);
        QCOMPARE(part<QLineEdit>(restarted.get(), "lineEdit_user")->text(), kUser);
        QCOMPARE(part<QLineEdit>(restarted.get(), "lineEdit_pwd")->text(), kPassword);
        login(*restarted, kUser, "wrong again");
        QVERIFY(!takeMessage(*restarted).isEmpty());
        stored.sync();
        QCOMPARE(stored.value("Usr/Inf").toString(), kPassword);

        part<QCheckBox>(restarted.get(), "checkBox_remember")->setChecked(false);
        login(*restarted, kUser, kPassword);
        QTRY_VERIFY_WITH_TIMEOUT(restarted->isLoggedIn(), kPatienceMs);
        stored.sync();
        QCOMPARE(stored.value("Usr/Usr").toString(), QString());
        QCOMPARE(stored.value("Usr/Inf").toString(), QString());
        QCOMPARE(fileMode(credentialsFile()), 0600);

        auto again = dialogFor(*service_);
        QVERIFY(part<QLineEdit>(again.get(), "lineEdit_user")->text().isEmpty());
        QVERIFY(part<QCheckBox>(again.get(), "checkBox_remember")->isChecked());
    }

    // Enter in the password field logs in, as the login button does.
    void enterLogsIn() {
        auto dialog = dialogFor(*service_);
        part<QLineEdit>(dialog.get(), "lineEdit_user")->setText(kUser);
        auto* password = part<QLineEdit>(dialog.get(), "lineEdit_pwd");
        password->setText(kPassword);
        QTest::keyClick(password, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(dialog->isLoggedIn(), 30000);
    }

    void loginOpensTheUploadPage() {
        // The page head starts from the HTML Meta settings.
        RememberedValues::shared().setValue(SlotHtmlKeywords, "walls, decks");
        auto dialog = loggedIn(*service_);
        RememberedValues::shared().clear();
        QVERIFY(dialog);
        QCOMPARE(part<QLineEdit>(dialog.get(), "lineEdit_key")->text(), QString("walls, decks"));
        auto* pages = part<QStackedWidget>(dialog.get(), "stackedWidget");
        QCOMPARE(pages->currentIndex(), 1);
        const QString shelf = dialog->serviceUrl() + "u/" + dialog->userId() + "/flipbook";
        QCOMPARE(part<QLabel>(dialog.get(), "label_url")->text(),
                 "<a href=" + shelf + "> " + shelf + "</a>");
        dialog->on_close_click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isVisible(), kPatienceMs);
        pages->setCurrentIndex(0);
        dialog->showDialog();
        QCOMPARE(pages->currentIndex(), 1);

        typeBookName(*dialog, "my book!");
        QCOMPARE(part<QLineEdit>(dialog.get(), "lineEdit_bookName")->text(),
                 QStringLiteral("my-book-"));
        QVERIFY(part<QLabel>(dialog.get(), "label_url")
                    ->text()
                    .endsWith("/flipbook/my-book-/index.html</a>"));
    }

    void emptyAndInvalidBookNames() {
        auto dialog = loggedIn(*service_);
        QVERIFY(dialog);
        auto* name = part<QLineEdit>(dialog.get(), "lineEdit_bookName");
        name->setText("   ");
        dialog->on_upLoad_click();
        QCOMPARE(takeMessage(*dialog), QStringLiteral("Please input the book name."));
        name->setText("book ");
        dialog->on_upLoad_click();
        QCOMPARE(takeMessage(*dialog), QStringLiteral("Please correct the book name, thanks."));
        QVERIFY(!dialog->isUploadBusy());
        QVERIFY(fieldsEnabled(*dialog));
        QCOMPARE(part<QToolButton>(dialog.get(), "toolButton_upload")->text(),
                 QStringLiteral("Upload"));
    }

    // The whole road: the book is served with the typed title escaped; the same name again is
    // an existing book.
    void uploadThenExistingBook() {
        auto dialog = loggedIn(*service_);
        QVERIFY(dialog);
        part<QLineEdit>(dialog.get(), "lineEdit_title")->setText("Tom & <Jerry>");
        typeBookName(*dialog, "Cartoons 1");
        dialog->on_upLoad_click();
        QCOMPARE(part<QToolButton>(dialog.get(), "toolButton_upload")->text(),
                 QStringLiteral("Cancel"));
        QVERIFY(!fieldsEnabled(*dialog));
        QTRY_VERIFY_WITH_TIMEOUT(
            part<QLabel>(dialog.get(), "label_11")->text().startsWith("Upload Successfully!"),
            kPatienceMs);
        QVERIFY(shownMessage(*dialog).isEmpty());
        QVERIFY(fieldsEnabled(*dialog));
        QVERIFY(temporaryFilesGone());
        QTest::qWait(100);
        QCOMPARE(part<QProgressBar>(dialog.get(), "progressBar")->value(), 100);
        const std::string book = "/u/" + dialog->userId().toStdString() + "/flipbook/Cartoons-1/";
        QVERIFY(part<QLabel>(dialog.get(), "label_url")
                    ->text()
                    .contains(QString::fromStdString(book + "index.html")));
        auto page = service_->client().Get(book + "index.html");
        QVERIFY(page && page->status == 200);
        QVERIFY2(page->body.find("<title>Tom &amp; &lt;Jerry&gt;</title>") != std::string::npos,
                 page->body.c_str());
        auto index = service_->client().Get(book + "xml/images.xml");
        QVERIFY(index && index->status == 200);

        dialog->on_upLoad_click();
        QCOMPARE(takeMessage(*dialog),
                 QStringLiteral("The book exists on the internet,\nplease try another one."));
        QVERIFY(!part<QLabel>(dialog.get(), "label_11")->text().contains("Successfully"));
        QVERIFY(!dialog->isUploadBusy());
        QVERIFY(fieldsEnabled(*dialog));
    }

    // A cancel while the checks wait drops them: nothing is packed or sent afterwards.
    void cancelDuringCheck() {
        auto dialog = loggedIn(*service_);
        QVERIFY(dialog);
        typeBookName(*dialog, "never_sent");
        const auto before = service_->snapshot();
        const auto uploadsBefore = uploadRequests(*service_);
        dialog->on_upLoad_click();
        dialog->on_upLoad_click();
        QVERIFY(!dialog->isUploadBusy());
        QVERIFY(fieldsEnabled(*dialog));
        QCOMPARE(part<QToolButton>(dialog.get(), "toolButton_upload")->text(),
                 QStringLiteral("Upload"));
        QVERIFY(!QTest::qWaitFor([] { return QFile::exists(upLoad::temporaryArchive()); }, 2000));
        QCOMPARE(uploadRequests(*service_), uploadsBefore);
        QVERIFY(service_->snapshot() == before);
    }

    void cancelDuringTransfer() {
        addBulk(4);
        std::unique_ptr<upLoad> dialog;
        UploadHold hold(*service_, [&] { dialog->on_upLoad_click(); });
        dialog = loggedIn(hold.port());
        QVERIFY(dialog);
        typeBookName(*dialog, "cancelled");
        const auto before = service_->snapshot();
        dialog->on_upLoad_click();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isUploadBusy(), kPatienceMs);
        QCOMPARE(part<QProgressBar>(dialog.get(), "progressBar")->value(), 0);
        QVERIFY(fieldsEnabled(*dialog));
        QVERIFY(temporaryFilesGone());
        QVERIFY(shownMessage(*dialog).isEmpty());
        QVERIFY(service_->settlesTo(before));
        QFile::remove(workFolder() + "wallimages/bulk.bin");
    }

    // The service ends halfway through the transfer: a message naming it, idle, nothing left.
    void serviceStoppedHalfway() {
        addBulk(4);
        Service doomed;
        QCOMPARE(doomed.addUser(kUser.toStdString(), "a@example.org", kPassword.toStdString()), 0);
        UploadHold hold(doomed, [&] { doomed.stop(SIGKILL); });
        auto dialog = loggedIn(hold.port());
        QVERIFY(dialog);
        typeBookName(*dialog, "lost");
        dialog->on_upLoad_click();
        const QString message = takeMessage(*dialog);
        QVERIFY2(message.contains(dialog->serviceUrl()), qPrintable(message));
        QVERIFY(!dialog->isUploadBusy());
        QVERIFY(fieldsEnabled(*dialog));
        QVERIFY(temporaryFilesGone());
        QFile::remove(workFolder() + "wallimages/bulk.bin");

        auto fresh = dialogFor(doomed);
        login(*fresh, kUser, kPassword);
        QVERIFY(takeMessage(*fresh).contains("cannot be reached"));
    }

    // A service that takes the connection and never answers: the login ends with a message
    // naming it, and the dialog is idle again.
    void silentServiceTimesOut() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv("MURANO_BOOK_SERVICE",
                "http://127.0.0.1:" + QByteArray::number(silent.serverPort()));
        upLoad dialog;
        dialog.setRequestTimeout(300);
        dialog.showDialog();
        login(dialog, kUser, kPassword);
        QVERIFY(part<QLabel>(&dialog, "label_progress")->isVisible());
        const QString message = takeMessage(dialog);
        QVERIFY2(message.contains(dialog.serviceUrl()) && message.contains("in time"),
                 qPrintable(message));
        QVERIFY(!part<QLabel>(&dialog, "label_progress")->isVisible());
    }

    // Both pages as a user sees them.
    void screenshots() {
        auto dialog = loggedIn(*service_);
        QVERIFY(dialog);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->isAnimating(), kPatienceMs);
        const QString folder = qEnvironmentVariable("MURANO_SHOTS");
        auto* pages = part<QStackedWidget>(dialog.get(), "stackedWidget");
        for (int page : {0, 1}) {
            pages->setCurrentIndex(page);
            const QImage shot = dialog->grab().toImage();
            QCOMPARE(shot.size(), QSize(500, 350));
            if (!folder.isEmpty()) {
                shot.save(folder + QString("/upload-page%1.png").arg(page + 1));
            }
        }
    }

    void cleanupTestCase() { service_.reset(); }
};

QTEST_MAIN(UploadDialogTest)
#include "upload_dialog_test.moc"
