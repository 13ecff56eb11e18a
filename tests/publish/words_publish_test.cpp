// The deck's words in every output, read back by real readers (unzip for the archives): speaker
// notes leave the wall only when it publishes them; a project file keeps them whatever it does.
#include "publish/exe_output.h"
#include "publish/project_file.h"
#include "publish/publish_output.h"
#include "share/book_packing.h"
#include "tests/publish/wall_fixture.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QString kNotes = QStringLiteral("Only for the speaker");

// One entry of an archive as Info-ZIP's unzip extracts it.
QByteArray unzipped(const QString& archive, const QString& entry) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, entry});
    unzip.waitForFinished(60000);
    return unzip.readAllStandardOutput();
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An output made of the wall in `work` into `out`; the words file and its twin as it carries them.
struct Output {
    const char* name;
    bool keepsNotesAlways; // a project file keeps the wall whole
    std::function<JobResult(const QString& work, const QString& out)> make;
    std::function<QByteArray(const QString& out, const QString& entry)> read;
};

const BookOptions kBook{"Quarter", {"Title", "", ""}, BookLayout::Web};

const Output kOutputs[] = {
    {"web folder", false,
     [](const QString& work, const QString& out) {
         return publishOutput(PublishMode::Html, WallFolder(work), out, kBook);
     },
     [](const QString& out, const QString& entry) { return fileBytes(out + "/" + entry); }},
    {"ZIP", false,
     [](const QString& work, const QString& out) {
         return publishOutput(PublishMode::Zip, WallFolder(work), out, kBook);
     },
     [](const QString& out, const QString& entry) {
         return unzipped(out + "/Quarter.zip", entry);
     }},
    {"executable", false,
     [](const QString& work, const QString& out) {
         return makeExe(out + "/Quarter.exe", out + "/payload.zip", WallFolder(work), {},
                        QStringLiteral(MURANO_BIN_DIR "/book"));
     },
     [](const QString& out, const QString& entry) {
         return unzipped(out + "/Quarter.exe", "Book/" + entry);
     }},
    {"upload", false,
     [](const QString& work, const QString& out) {
         return packBook({work, "Quarter", {"Title", "", ""}, out + "/page.html", out + "/up.zip"});
     },
     [](const QString& out, const QString& entry) {
         return unzipped(out + "/up.zip", "Quarter/" + entry);
     }},
    {"project file", true,
     [](const QString& work, const QString& out) {
         return saveProject(out + "/Quarter.mrnp", work, kBook);
     },
     [](const QString& out, const QString& entry) {
         return unzipped(out + "/Quarter.mrnp", entry);
     }},
};

TEST(PublishedWords, NotesLeaveTheWallOnlyWhenItPublishesThem) {
    for (const Output& output : kOutputs) {
        for (const bool published : {false, true}) {
            SCOPED_TRACE(std::string(output.name) + (published ? ", notes published" : ""));
            QTemporaryDir scratch;
            const QString work = scratch.path() + "/work/";
            const QString out = scratch.path() + "/out";
            makeWall(work, {});
            QDir().mkpath(out);
            DeckWords words;
            words.title = "Deck";
            words.slides << SlideWords{0, "One", "Hello", kNotes, {}, {}};
            QString error;
            ASSERT_TRUE(writeWallWords(WallFolder(work), words, error));
            ASSERT_TRUE(setNotesPublished(WallFolder(work), published, error));
            const QByteArray wallJson = fileBytes(WallFolder(work).words());

            const JobResult result = output.make(work, out);
            ASSERT_TRUE(result.ok()) << result.message.toStdString();

            const QByteArray json = output.read(out, WallFolder::wordsEntry());
            const QByteArray script = output.read(out, WallFolder::wordsScriptEntry());
            QString parseError;
            const auto carried = parseDeckWords(json, parseError);
            ASSERT_TRUE(carried) << parseError.toStdString();
            EXPECT_EQ(carried->slides.value(0).text, "Hello");
            const bool notes = published || output.keepsNotesAlways;
            EXPECT_EQ(carried->slides.value(0).notes, notes ? kNotes : QString());
            EXPECT_EQ(script.contains(kNotes.toUtf8()), notes);
            EXPECT_TRUE(script.startsWith("window.muranoWords = "));
            EXPECT_EQ(fileBytes(WallFolder(work).words()), wallJson) << "the wall keeps its own";
        }
    }
}

} // namespace
