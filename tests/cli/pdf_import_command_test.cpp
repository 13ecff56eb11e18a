// murano import on a PDF, through the real program without a display: a page range becomes the
// wall's images, its index lines and its words; a protected PDF takes its password from a file.
#include "tests/cli/folder_digest.h"
#include "tests/import/pdf_maker.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kMurano = QStringLiteral(MURANO_BIN_DIR "/murano");

struct Ran {
    int status = -1;
    QString err;
};

class PdfImportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        work = dir.path() + "/wall";
        MadePdf pdf;
        for (int n = 1; n <= 4; ++n) {
            pdf.pages << MadePage{n == 2 ? 792.0 : 612.0,
                                  n == 2 ? 612.0 : 792.0,
                                  pageColour(n),
                                  {QStringLiteral("Page %1").arg(n)},
                                  {}};
        }
        plain = dir.path() + "/four.pdf";
        ASSERT_TRUE(writeFile(plain, makePdf(pdf)));
    }

    Ran murano(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        environment.insert("XDG_STATE_HOME", dir.path() + "/state");
        environment.insert("XDG_DATA_HOME", dir.path() + "/state/data");
        process.setProcessEnvironment(environment);
        process.start(kMurano, QStringList{"--work", work} + arguments);
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardError())};
    }

    QStringList indexImages() const {
        QStringList sources;
        for (const QString& line :
             QString::fromUtf8(readAll(work + "/xml/images.xml")).split('\n')) {
            if (line.contains("<img ")) {
                sources << line.section('"', 1, 1);
            }
        }
        return sources;
    }

    QTemporaryDir dir;
    QString work;
    QString plain;
};

TEST_F(PdfImportCommandTest, APageRangeBecomesTheWallsImagesIndexAndWords) {
    const Ran ran = murano({"import", plain, "--pages", "2, 4"});
    ASSERT_EQ(ran.status, 0) << ran.err.toStdString();
    EXPECT_EQ(indexImages(), QStringList({"2.jpg", "4.jpg"}));
    const QImage landscape(work + "/wallimages/2.jpg");
    EXPECT_EQ(landscape.size(), QSize(1056, 816));
    EXPECT_EQ(QImage(work + "/wallimages/thumbs/4.jpg").size(), QSize(180, 233));
    const QString words = QString::fromUtf8(readAll(work + "/xml/words.json"));
    EXPECT_LT(words.indexOf("Page 2"), words.indexOf("Page 4"));
    EXPECT_FALSE(words.contains("Page 1"));
}

TEST_F(PdfImportCommandTest, AProtectedPdfTakesItsPasswordFromAFile) {
    ASSERT_EQ(murano({"import", plain, "--pages", "1"}).status, 0);
    const QString locked = dir.path() + "/locked.pdf";
    ASSERT_TRUE(protectWithPassword(plain, locked, "open sesame"));
    const QString wrong = dir.path() + "/wrong.txt";
    const QString right = dir.path() + "/right.txt";
    ASSERT_TRUE(writeFile(wrong, "open says me\n"));
    ASSERT_TRUE(writeFile(right, "open sesame\n"));
    const auto before = folderDigest(work);

    const Ran none = murano({"import", locked});
    EXPECT_NE(none.status, 0);
    EXPECT_TRUE(none.err.contains("--password-file")) << none.err.toStdString();
    const Ran refused = murano({"import", locked, "--password-file", wrong});
    EXPECT_NE(refused.status, 0);
    EXPECT_TRUE(refused.err.contains("password does not open")) << refused.err.toStdString();
    EXPECT_EQ(folderDigest(work), before) << digestDifferences(folderDigest(work), before);

    const Ran opened = murano({"import", locked, "--password-file", right});
    ASSERT_EQ(opened.status, 0) << opened.err.toStdString();
    EXPECT_EQ(indexImages(), QStringList({"0.jpg", "1.jpg", "2.jpg", "3.jpg"}));
}

} // namespace
