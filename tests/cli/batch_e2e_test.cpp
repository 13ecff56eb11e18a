// The batch subcommands end to end: the real murano program, without a display, on scratch wall
// folders, with the real converter and LibreOffice on generated decks. Archives and project files
// are read back by Python's zipfile, the executable's payload is unpacked by the Linux stub.
#include "tests/cli/folder_digest.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString kMurano = QStringLiteral(MURANO_BIN_DIR "/murano");
const QString kDecks = QStringLiteral(MURANO_DECK_DIR);

struct Ran {
    int status = -1;
    QString out;
    QString err;
};

// Runs a program with no display at all: were a window or a browser engine made, it would fail.
Ran run(const QString& program, const QStringList& arguments, const QString& state) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert("XDG_STATE_HOME", state);
    environment.insert("XDG_DATA_HOME", state + "/data");
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(300000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QString python(const QString& script, const QStringList& arguments) {
    QProcess process;
    process.start("python3", QStringList{"-c", script} + arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())
        .trimmed();
}

// Every entry of an archive, sorted, after Python's zipfile has checked each one's data.
QStringList zipNames(const QString& archive) {
    return python("import sys, zipfile\n"
                  "z = zipfile.ZipFile(sys.argv[1])\n"
                  "assert z.testzip() is None\n"
                  "print('\\n'.join(sorted(z.namelist())))",
                  {archive})
        .split('\n');
}

QStringList imageLines(const QString& work) {
    QStringList sources;
    for (const QString& line : QString::fromUtf8(readAll(work + "/xml/images.xml")).split('\n')) {
        if (line.contains("<img ")) {
            sources << line.section('"', 1, 1);
        }
    }
    return sources;
}

QString startTag(const QString& work) {
    return QString::fromUtf8(readAll(work + "/xml/images.xml")).section('\n', 1, 1);
}

} // namespace

class BatchEndToEnd : public ::testing::Test {
protected:
    // One import for every test: the converter is the slow part.
    static void SetUpTestSuite() {
        scratch_ = new QTemporaryDir;
        imported_ = new Ran(murano({"import", kDecks + "/twelve.pptx", "--pages", "1, 3-4"}));
    }
    static void TearDownTestSuite() {
        delete imported_;
        delete scratch_;
    }

    static QString state() { return scratch_->path() + "/state"; }
    static QString work() { return scratch_->path() + "/wall"; }
    static QString file(const QString& name) { return scratch_->path() + "/" + name; }
    static Ran murano(const QStringList& arguments) {
        return run(kMurano, QStringList{"--work", work()} + arguments, state());
    }

    // Starts an import of the twelve-slide deck into the wall and waits until it is converting.
    static bool importUnderWay(QProcess& import) {
        import.setReadChannel(QProcess::StandardError);
        import.start(kMurano, {"--work", work(), "import", kDecks + "/twelve.pptx"});
        QByteArray told;
        while (!told.contains("Converting slides") && import.waitForReadyRead(30000)) {
            told += import.readAllStandardError();
        }
        return told.contains("Converting slides");
    }

    static QTemporaryDir* scratch_;
    static Ran* imported_;
};

QTemporaryDir* BatchEndToEnd::scratch_ = nullptr;
Ran* BatchEndToEnd::imported_ = nullptr;

TEST_F(BatchEndToEnd, ImportTakesTheRangeIntoANewWallOfItsOwn) {
    ASSERT_EQ(imported_->status, 0) << imported_->err.toStdString();
    EXPECT_TRUE(imported_->err.contains("murano: Converting slides...")) << "plain progress lines";
    EXPECT_EQ(imageLines(work()), (QStringList{"1.jpg", "3.jpg", "4.jpg"}));
    EXPECT_EQ(QDir(work() + "/wallimages").entryList(QDir::Files, QDir::Name),
              (QStringList{"1.jpg", "3.jpg", "4.jpg"}));
    EXPECT_EQ(QImage(work() + "/wallimages/thumbs/3.jpg").width(), 180);
    EXPECT_TRUE(QFile::exists(work() + "/.quorvexmrnoini")) << "the wall keeps its own settings";
    EXPECT_FALSE(QFile::exists(state() + "/quorvex/Quorvex_Murano")) << "the user's wall is left";
    EXPECT_FALSE(QFile::exists(state() + "/quorvex/quorvexmrnoini"));
}

TEST_F(BatchEndToEnd, ApplyWritesTheLookIntoTheStartTagAndTheWallsSettings) {
    QImage logo(64, 32, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(file("logo.png")));
    const Ran applied =
        murano({"apply", "--color", "#2A9DF4", "--logo", file("logo.png"), "--link",
                "https://example.org/", "--title", "Week 12", "--author", "Ann & Bo",
                "--hide-buttons", "share", "--autoplay", "6", "--direction", "rtl"});
    ASSERT_EQ(applied.status, 0) << applied.err.toStdString();
    const QString tag = startTag(work());
    for (const char* part :
         {"back_ground=\"0{0x2a9df4}\"", "logo_img=\"logo/logo.png\"",
          "logo_link=\"https://example.org/\"", "btn_share=\"0\"", "btn_info=\"1\"",
          "book_title=\"Week 12\"", "display_name=\"Ann &amp; Bo\"", "autoplay=\"6\"",
          "direction=\"rtl\""}) {
        EXPECT_TRUE(tag.contains(QLatin1String(part))) << part << " in " << tag.toStdString();
    }
    // A later apply keeps what it is not given.
    ASSERT_EQ(murano({"apply", "--title", "Week 12"}).status, 0);
    EXPECT_EQ(startTag(work()), tag);
    EXPECT_EQ(readAll(work() + "/logo/logo.png"), readAll(file("logo.png")));
    EXPECT_EQ(imageLines(work()), (QStringList{"1.jpg", "3.jpg", "4.jpg"})) << "slides kept";
    EXPECT_TRUE(readAll(work() + "/.quorvexmrnoini").contains("Week 12"));
}

TEST_F(BatchEndToEnd, ZipAndProjectReadBackAndOpeningRestoresTheSameWall) {
    const Ran zipped = murano(
        {"publish", "zip", "--output", file("out"), "--name", "week12", "--meta-title", "Week 12"});
    ASSERT_EQ(zipped.status, 0) << zipped.err.toStdString();
    EXPECT_EQ(zipped.out.trimmed(), file("out") + "/week12.zip");
    const QStringList names = zipNames(file("out/week12.zip"));
    for (const char* name : {"week12.html", "main.swf", "swfobject.js", "xml/images.xml",
                             "wallimages/3.jpg", "wallimages/thumbs/3.jpg", "logo/logo.png"}) {
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    }
    EXPECT_TRUE(python("import sys, zipfile; print(zipfile.ZipFile(sys.argv[1]).read("
                       "'week12.html').decode())",
                       {file("out/week12.zip")})
                    .contains("<title>Week 12</title>"));

    const Ran saved = murano({"project", "save", file("week12")});
    ASSERT_EQ(saved.status, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.out.trimmed(), file("week12.mrnp"));
    EXPECT_TRUE(zipNames(file("week12.mrnp")).contains("xml/images.xml"));
    const auto before = folderDigest(work());

    ASSERT_EQ(murano({"apply", "--title", "Week 13"}).status, 0);
    QFile::remove(work() + "/wallimages/4.jpg");
    ASSERT_FALSE(folderDigest(work()) == before);
    const Ran opened = murano({"project", "open", file("week12.mrnp")});
    ASSERT_EQ(opened.status, 0) << opened.err.toStdString();
    auto after = folderDigest(work());
    // The settings file now holds the project's look, with the wall's own copies of its pictures.
    EXPECT_TRUE(readAll(work() + "/.quorvexmrnoini").contains("Week 12\n"));
    EXPECT_FALSE(readAll(work() + "/.quorvexmrnoini").contains("Week 13"));
    after[".quorvexmrnoini"] = before.at(".quorvexmrnoini");
    EXPECT_TRUE(after == before) << digestDifferences(after, before);

    // The next apply builds on the project's look: background, title, link and hidden buttons stay.
    const QString projectTag = startTag(work());
    ASSERT_EQ(murano({"apply", "--author", "Bob"}).status, 0);
    EXPECT_EQ(startTag(work()),
              QString(projectTag).replace("display_name=\"Ann &amp; Bo\"", "display_name=\"Bob\""));
    EXPECT_TRUE(startTag(work()).contains("display_name=\"Bob\""));

    const Ran again = murano({"project", "save", file("week12.mrnp")});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains("exists; add --overwrite")) << again.err.toStdString();
    EXPECT_EQ(murano({"project", "save", file("week12.mrnp"), "--overwrite"}).status, 0);
}

TEST_F(BatchEndToEnd, TheExecutablesPayloadUnpacksWithTheStub) {
    if (!QFile::exists(MURANO_BIN_DIR "/book.exe")) {
        GTEST_SKIP() << "no Windows stub in this build";
    }
    const Ran made = murano({"publish", "exe", "--output", file("exe"), "--name", "week12"});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    const Ran unpacked =
        run(MURANO_BIN_DIR "/book",
            {"--open", file("exe/week12.exe"), "--extract", file("unpacked")}, state());
    ASSERT_EQ(unpacked.status, 0) << unpacked.err.toStdString();
    for (const char* name : {"index.html", "book.swf", "xml/images.xml", "wallimages/1.jpg"}) {
        EXPECT_TRUE(QFile::exists(file("unpacked/Book/") + name)) << name;
    }
    EXPECT_EQ(readAll(file("unpacked/Book/wallimages/3.jpg")),
              readAll(work() + "/wallimages/3.jpg"));
}

TEST_F(BatchEndToEnd, BadInputIsRefusedWithAMessageAndTheWallUnchanged) {
    const QString hostile = file("hostile");
    QDir().mkpath(hostile);
    ASSERT_EQ(QProcess::execute("python3",
                                {MURANO_SOURCE_DIR "/tests/publish/project_archives.py", hostile}),
              0);
    QFile(file("zip-taken.zip")).open(QIODevice::WriteOnly);
    const struct {
        QStringList arguments;
        int status;
        const char* message;
    } cases[] = {
        {{"import", file("missing.pptx")}, 1, "missing.pptx\" does not exist."},
        {{"import", kDecks + "/twelve.pptx", "--pages", "0, x"}, 2, "names no page"},
        {{"import", kDecks + "/twelve.pptx", "--pages", "20"}, 1, "has only 12 slides"},
        {{"apply", "--logo", file("missing.png")}, 1, "is not a picture murano can read"},
        {{"apply", "--colour", "red"}, 2, "unknown option \"--colour\""},
        {{"publish", "zip", "--output", "/proc/murano-batch", "--name", "w"}, 1, "/proc"},
        {{"publish", "zip", "--output", "/proc", "--name", "w"}, 1, "/proc"},
        {{"publish", "zip", "--output", scratch_->path(), "--name", "zip-taken"},
         1,
         "exists; add --overwrite"},
        {{"project", "open", hostile + "/climb.mrnp"}, 1, ""},
        {{"project", "open", hostile + "/no-index.mrnp"}, 1, ""},
        {{"project", "open", file("nothing.mrnp")}, 1, "does not exist"},
    };
    const auto before = folderDigest(work());
    for (const auto& c : cases) {
        const Ran refused = murano(c.arguments);
        const std::string what = c.arguments.join(' ').toStdString();
        EXPECT_EQ(refused.status, c.status) << what << ": " << refused.err.toStdString();
        EXPECT_TRUE(refused.err.contains("murano: ")) << what;
        EXPECT_TRUE(refused.err.contains(QLatin1String(c.message)))
            << what << ": " << refused.err.toStdString();
        const auto now = folderDigest(work());
        EXPECT_TRUE(now == before) << what << ": " << digestDifferences(now, before);
    }
    EXPECT_FALSE(QFile::exists("/murano-project-test-evil.txt"));
    EXPECT_FALSE(QFile::exists(work() + "/../evil.txt"));

    QDir().mkpath(file("not-a-wall"));
    QFile(file("not-a-wall/notes.txt")).open(QIODevice::WriteOnly);
    const Ran stranger = run(kMurano, {"--work", file("not-a-wall"), "apply"}, state());
    EXPECT_EQ(stranger.status, 2);
    EXPECT_TRUE(stranger.err.contains("holds no wall"));
    EXPECT_EQ(QDir(file("not-a-wall")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"notes.txt"});
}

TEST_F(BatchEndToEnd, AWallAnotherMuranoHoldsIsRefusedAndLeftAlone) {
    const auto before = folderDigest(work());
    {
        // What a window or another command holds while it changes the wall.
        const int held = ::open(QFile::encodeName(work()).constData(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const Ran refused = murano({"apply", "--title", "Not now"});
        ::close(held);
        EXPECT_EQ(refused.status, 1);
        EXPECT_TRUE(refused.err.contains("is in use by another murano"))
            << refused.err.toStdString();
    }
    const auto after = folderDigest(work());
    EXPECT_TRUE(after == before) << digestDifferences(after, before);
    EXPECT_EQ(murano({"publish", "html", "--output", file("free"), "--name", "w"}).status, 0)
        << "the lock ends with its holder";
}

TEST_F(BatchEndToEnd, TwoImportsIntoOneWallNeverMix) {
    const QString wall = file("shared-wall");
    QProcess first;
    QProcess second;
    const QStringList decks{kDecks + "/twelve.pptx", kDecks + "/three.odp"};
    QProcess* runs[] = {&first, &second};
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_STATE_HOME", state());
        runs[i]->setProcessEnvironment(environment);
        runs[i]->start(kMurano, {"--work", wall, "import", decks[i]});
    }
    int succeeded = 0;
    for (QProcess* run : runs) {
        ASSERT_TRUE(run->waitForFinished(300000));
        const QString err = QString::fromUtf8(run->readAllStandardError());
        EXPECT_TRUE(run->exitCode() == 0 || err.contains("is in use by another murano"))
            << err.toStdString();
        succeeded += run->exitCode() == 0;
    }
    EXPECT_GE(succeeded, 1);
    // One deck's slides, whole: as many images and thumbnails as index lines, all of one size.
    const QStringList lines = imageLines(wall);
    const QStringList images = QDir(wall + "/wallimages").entryList({"*.jpg"}, QDir::Files);
    EXPECT_TRUE(lines.size() == 12 || lines.size() == 3) << lines.size();
    EXPECT_EQ(images.size(), lines.size());
    EXPECT_EQ(QDir(wall + "/wallimages/thumbs").entryList({"*.jpg"}, QDir::Files).size(),
              lines.size());
    for (const QString& image : images) {
        EXPECT_EQ(QImage(wall + "/wallimages/" + image).size(),
                  lines.size() == 12 ? QSize(960, 720) : QSize(1280, 720))
            << image.toStdString();
    }
}

TEST_F(BatchEndToEnd, PublishingOverTheUsersFilesNeedsOverwrite) {
    const QString out = file("users-folder");
    const QStringList mine{"background/holiday.jpg", "logo/company.png", "wallimages/x.jpg",
                           "xml/mydata.xml",         "swfobject.js",     "notes.txt"};
    for (const QString& name : mine) {
        QDir().mkpath(QFileInfo(out + "/" + name).absolutePath());
        QFile made(out + "/" + name);
        ASSERT_TRUE(made.open(QIODevice::WriteOnly));
        made.write("the user's");
    }
    const auto before = folderDigest(out);
    const Ran refused = murano({"publish", "html", "--output", out, "--name", "other"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("add --overwrite")) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains(out + "/background")) << "names what would be replaced";
    EXPECT_TRUE(folderDigest(out) == before);

    ASSERT_EQ(murano({"publish", "html", "--output", out, "--name", "other", "--overwrite"}).status,
              0);
    EXPECT_EQ(readAll(out + "/notes.txt"), "the user's");
    EXPECT_EQ(readAll(out + "/wallimages/3.jpg"), readAll(work() + "/wallimages/3.jpg"));
    EXPECT_TRUE(
        QDir(out).entryList({".murano-staging-*"}, QDir::Hidden | QDir::AllEntries).isEmpty());
}

TEST_F(BatchEndToEnd, RememberedNamesAndSettingsFilesFromOutsideAreNotTrusted) {
    // A remembered output name that climbs out of the staging folder.
    const QString remembered = work() + "/.home";
    const QByteArray kept = readAll(remembered);
    QStringList values = QString::fromUtf8(kept).split('\n');
    while (values.size() < 16) {
        values << QString();
    }
    values[4] = "../../../climbed";
    {
        QFile file(remembered);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(values.join('\n').toUtf8());
    }
    const Ran saved = murano({"project", "save", file("climb.mrnp")});
    EXPECT_EQ(saved.status, 1);
    EXPECT_TRUE(saved.err.contains("cannot be a file name")) << saved.err.toStdString();
    EXPECT_FALSE(QFile::exists(file("climbed.html")));
    EXPECT_FALSE(QFile::exists(scratch_->path() + "/../climbed.html"));
    {
        QFile file(remembered);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(kept);
    }

    // A settings file that is a FIFO: the command says so instead of blocking or failing later.
    const QString settings = work() + "/.quorvexmrnoini";
    ASSERT_TRUE(QFile::rename(settings, settings + ".kept"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    const Ran applied = murano({"apply", "--author", "Bob"});
    QFile::remove(settings);
    ASSERT_TRUE(QFile::rename(settings + ".kept", settings));
    EXPECT_EQ(applied.status, 1);
    EXPECT_TRUE(applied.err.contains("cannot be read")) << applied.err.toStdString();
}

TEST_F(BatchEndToEnd, AStoppedImportEndsItsConverterAndLeavesTheWall) {
    const auto before = folderDigest(work());
    QProcess import;
    ASSERT_TRUE(importUnderWay(import));
    import.terminate();
    ASSERT_TRUE(import.waitForFinished(30000));
    EXPECT_EQ(import.exitCode(), 128 + SIGTERM);
    EXPECT_TRUE(import.readAllStandardError().contains("Stopped; the wall is left as it was."));
    // The converter, which stages into <wall>.laq, is gone with its run.
    EXPECT_NE(QProcess::execute("pgrep", {"-f", work() + "/.laq"}), 0);
    const auto after = folderDigest(work());
    EXPECT_TRUE(after == before) << digestDifferences(after, before);
}

TEST_F(BatchEndToEnd, AKilledMuranoTakesItsConverterAlong) {
    const auto before = folderDigest(work());
    QProcess import;
    ASSERT_TRUE(importUnderWay(import));
    const auto converterRuns = [this] {
        return QProcess::execute("pgrep", {"-f", work() + "/.laq"}) == 0;
    };
    QDeadlineTimer started(60000);
    while (!converterRuns() && !started.hasExpired()) {
        QThread::msleep(20);
    }
    ASSERT_TRUE(converterRuns()) << "the converter is under way";
    import.kill();
    ASSERT_TRUE(import.waitForFinished(30000));
    // The converter, which stages into <wall>.laq, is told to stop when its murano dies; it ends
    // its office instance and removes what it staged.
    QDeadlineTimer patience(60000);
    while (converterRuns() && !patience.hasExpired()) {
        QThread::msleep(100);
    }
    EXPECT_FALSE(converterRuns());
    const auto after = folderDigest(work());
    EXPECT_TRUE(after == before) << digestDifferences(after, before);
}

TEST(BatchCommands, WithoutWorkTheUsersOwnWallAndSettingsAreUsed) {
    QTemporaryDir state;
    const Ran applied = run(kMurano, {"apply", "--title", "Mine"}, state.path());
    ASSERT_EQ(applied.status, 0) << applied.err.toStdString();
    EXPECT_TRUE(startTag(state.path() + "/quorvex/Quorvex_Murano").contains("book_title=\"Mine\""));
    EXPECT_TRUE(readAll(state.path() + "/quorvex/quorvexmrnoini").contains("Mine"));
}

TEST(BatchCommands, HelpAndVersionGoToStandardOutput) {
    QTemporaryDir state;
    for (const QStringList& arguments :
         {QStringList{"--help"}, {"import", "--help"}, {"publish", "zip", "-h"}, {"--version"}}) {
        const Ran shown = run(kMurano, arguments, state.path());
        EXPECT_EQ(shown.status, 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(shown.out.startsWith(arguments.first() == "--version" ? "murano " : "Usage:"))
            << shown.out.toStdString();
        EXPECT_TRUE(shown.err.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(state.path() + "/quorvex/Quorvex_Murano")) << "help writes nothing";
}
