// murano upload end to end: the real murano program, without a display, against a real
// bookservice on 127.0.0.1 — a book published and served, refusals that store nothing, and a stop
// by SIGINT that leaves nothing behind on either side.
#include "tests/bookservice/service_harness.h"
#include "tests/cli/folder_digest.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using bookservice_test::Service;

const QString kMurano = QStringLiteral(MURANO_BIN_DIR "/murano");
const QString kUser = QStringLiteral("ann");
const QString kPassword = QStringLiteral("s3cret pass");

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

class UploadCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GT(service.port(), 0);
        ASSERT_EQ(service.addUser(kUser.toStdString(), "ann@example.org", kPassword.toStdString()),
                  0);
        ASSERT_EQ(run({"apply", "--title", "Week 12"}, {}).status, 0);
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(service.port()); }
    QStringList upload(const QString& book) const {
        return {"upload", "--service", url(), "--user", kUser, "--book", book};
    }
    void prepare(QProcess& process, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert("XDG_STATE_HOME", scratch.path() + "/state");
        environment.insert("XDG_DATA_HOME", scratch.path() + "/data");
        process.setProcessEnvironment(environment);
        process.start(kMurano, QStringList{"--work", wall()} + arguments);
    }
    Ran run(const QStringList& arguments, const QString& input) const {
        QProcess process;
        prepare(process, arguments);
        process.write(input.toUtf8());
        process.closeWriteChannel();
        process.waitForFinished(300000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    QString wall() const { return scratch.path() + "/wall"; }
    // The upload's scratch files live in the state folder and must be gone after every run.
    QStringList scratchLeft() const {
        return QDir(scratch.path() + "/state/quorvex").entryList({"upload-*"}, QDir::AllEntries);
    }

    QTemporaryDir scratch;
    Service service;
};

} // namespace

TEST_F(UploadCommand, PublishesTheBookAndPrintsItsAddress) {
    const Ran uploaded =
        run(upload("Week 12") + QStringList{"--meta-title", "Tom & <Jerry>"}, kPassword + "\n");
    ASSERT_EQ(uploaded.status, 0) << uploaded.err.toStdString();
    EXPECT_TRUE(uploaded.err.contains("Uploading")) << "progress on standard error";
    const QString address = uploaded.out.trimmed();
    EXPECT_TRUE(address.startsWith(url() + "u/")) << address.toStdString();
    EXPECT_TRUE(address.endsWith("/flipbook/Week-12/index.html")) << address.toStdString();
    const auto page = service.client().Get(address.mid(url().size() - 1).toStdString());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("Tom &amp; &lt;Jerry&gt;"), std::string::npos);
    EXPECT_EQ(scratchLeft(), QStringList());

    const Ran again = run(upload("Week 12"), kPassword + "\n");
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains("The book exists")) << again.err.toStdString();
}

TEST_F(UploadCommand, RefusalsStoreNothingAndSaySo) {
    const auto before = service.snapshot();
    const struct {
        QStringList arguments;
        QString input;
        int status;
        const char* message;
    } cases[] = {
        {upload("w"), "wrong\n", 1, "The password is incorrect."},
        {{"upload", "--service", url(), "--user", "bob", "--book", "w"},
         kPassword + "\n",
         1,
         "The user name is incorrect."},
        {upload("w"), "", 2, "no password for \"ann\""},
        {{"upload", "--service", url(), "--book", "w"}, kPassword + "\n", 2, "--user"},
        {upload("  "), kPassword + "\n", 2, "--book"},
        {{"upload", "--service", "http://127.0.0.1:1/", "--user", kUser, "--book", "w"},
         kPassword + "\n",
         1,
         "127.0.0.1:1"},
    };
    for (const auto& c : cases) {
        const Ran refused = run(c.arguments, c.input);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(refused.status, c.status) << what << ": " << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains(QLatin1String(c.message)))
            << what << ": " << refused.err.toStdString();
        EXPECT_TRUE(refused.out.isEmpty()) << what;
    }
    EXPECT_TRUE(service.settlesTo(before));
    EXPECT_EQ(scratchLeft(), QStringList());
}

TEST_F(UploadCommand, AStopBySigintLeavesNothingOnEitherSide) {
    // A wall large enough that packing and sending take a while on any machine.
    QFile bulk(wall() + "/wallimages/bulk.bin");
    ASSERT_TRUE(bulk.open(QIODevice::WriteOnly));
    QByteArray noise(1 << 20, Qt::Uninitialized);
    for (int megabyte = 0; megabyte < 96; ++megabyte) {
        for (char& byte : noise) {
            byte = static_cast<char>(std::rand());
        }
        bulk.write(noise);
    }
    bulk.close();
    const auto before = service.snapshot();
    QProcess process;
    prepare(process, upload("stopped"));
    process.write((kPassword + "\n").toUtf8());
    process.closeWriteChannel();
    process.setReadChannel(QProcess::StandardError);
    QByteArray told;
    while (!told.contains("Uploading") && process.waitForReadyRead(60000)) {
        told += process.readAllStandardError();
    }
    ASSERT_TRUE(told.contains("Uploading")) << told.toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 128 + SIGINT) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(service.settlesTo(before)) << "no book, no partial upload on the service";
    EXPECT_EQ(scratchLeft(), QStringList()) << "no archive left on this side";
}
