// A PDF's pages into a wall through poppler: their shape, a range, their words, and every fault
// leaving the wall byte for byte as it was. The PDFs are written by the tests (and protected by
// qpdf); one comes from LibreOffice, as users' PDFs often do.
#include "import/import_checks.h"
#include "import/pdf_document.h"
#include "import/pdf_import_job.h"
#include "tests/cli/folder_digest.h"
#include "tests/import/pdf_maker.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTimer>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <ostream>

namespace {

constexpr double kLetterWidth = 612, kLetterHeight = 792;

// The number of the page whose colour fills the picture's lower middle, or -1.
int pageShown(const QImage& image, int pages) {
    const QColor seen = image.pixelColor(image.width() / 2, image.height() * 3 / 4);
    for (int n = 1; n <= pages; ++n) {
        const QColor want = pageColour(n);
        if (std::abs(seen.red() - want.red()) < 14 && std::abs(seen.green() - want.green()) < 14 &&
            std::abs(seen.blue() - want.blue()) < 14) {
            return n;
        }
    }
    return -1;
}

MadePdf numberedPages(int count, double width = kLetterWidth, double height = kLetterHeight) {
    MadePdf pdf;
    for (int n = 1; n <= count; ++n) {
        pdf.pages << MadePage{width, height, pageColour(n), {QStringLiteral("Page %1").arg(n)}, {}};
    }
    return pdf;
}

// Every page as poppler's own device paints it, pixel by pixel, with the settings the import
// renders with: the picture the import's pages must match exactly.
std::vector<QImage> scannedByPoppler(const QString& pdf) {
    const GlobalParamsIniter params(nullptr);
    PDFDoc document(std::make_unique<GooString>(QFile::encodeName(pdf).toStdString()));
    SplashColor white = {0xff, 0xff, 0xff};
    SplashOutputDev device(splashModeRGB8, 4, false, white);
    device.setFontAntialias(true);
    device.setVectorAntialias(true);
    device.setFreeTypeHinting(false, false);
    device.startDoc(&document);
    std::vector<QImage> pages;
    for (int page = 1; page <= document.getNumPages(); ++page) {
        document.displayPageSlice(&device, page, kPdfPageDpi, kPdfPageDpi, 0, false, true, false,
                                  -1, -1, -1, -1);
        SplashBitmap* bitmap = device.getBitmap();
        pages.push_back(QImage(bitmap->getDataPtr(), bitmap->getWidth(), bitmap->getHeight(),
                               bitmap->getRowSize(), QImage::Format_RGB888)
                            .copy());
    }
    return pages;
}

// The first pixel where the import's page and poppler's own differ, as "x, y"; "" when none does.
QString firstDifference(const QImage& ours, const QImage& theirs) {
    if (ours.size() != theirs.size()) {
        return QStringLiteral("the sizes differ");
    }
    for (int y = 0; y < ours.height(); ++y) {
        for (int x = 0; x < ours.width(); ++x) {
            if (ours.pixel(x, y) != theirs.pixel(x, y)) {
                return QStringLiteral("%1, %2").arg(x).arg(y);
            }
        }
    }
    return {};
}

void expectPaintedAsPopplerScans(const QString& pdf) {
    const std::vector<QImage> reference = scannedByPoppler(pdf);
    const PdfDocument document(pdf, {});
    ASSERT_EQ(document.pageCount(), int(reference.size()));
    for (int index = 0; index < document.pageCount(); ++index) {
        QString error;
        const QImage page = document.render(index, error);
        ASSERT_FALSE(page.isNull()) << error.toStdString();
        EXPECT_EQ(firstDifference(page, reference[index]), QString())
            << "page " << index + 1 << " of " << pdf.toStdString();
    }
}

class PdfImportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "pdf_import_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        work = dir.path() + "/wall/";
        // The wall of an earlier import: two slides, a file that is no slide, an index.
        const WallFolder wall(work);
        QDir().mkpath(wall.thumbnails());
        QDir().mkpath(work + "xml");
        for (const QString& folder : {wall.images(), wall.thumbnails()}) {
            for (const char* name : {"0.jpg", "1.jpg"}) {
                QImage old(120, 90, QImage::Format_RGB32);
                old.fill(Qt::black);
                ASSERT_TRUE(old.save(folder + name, "JPEG"));
            }
        }
        ASSERT_TRUE(writeFile(wall.images() + "notes.txt", "kept"));
        ASSERT_TRUE(writeFile(wall.index(), "<images/>\n"));
    }

    QString file(const QString& name, const QByteArray& bytes) {
        const QString path = dir.path() + "/" + name;
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    }

    PdfImportOutcome import(const QString& pdf, const QString& range = {},
                            const QByteArray& password = {},
                            const std::function<bool()>& stopped = {}) {
        PdfImportRequest request;
        request.pdf = pdf;
        request.workFolder = work;
        request.password = password;
        if (!range.isEmpty()) {
            request.allPages = false;
            EXPECT_EQ(rangeProblem(range, request.chooesPage), QString());
        }
        return importPdf(request, {}, stopped);
    }

    QStringList wallJpegs() const {
        return QDir(WallFolder(work).images()).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    QString work;
};

TEST_F(PdfImportTest, EveryPageKeepsItsOwnShapeInPageOrder) {
    MadePdf pdf = numberedPages(3);
    pdf.pages[1].width = kLetterHeight; // landscape
    pdf.pages[1].height = kLetterWidth;
    pdf.pages[2].width = 420; // A5
    pdf.pages[2].height = 595;
    pdf.pages << MadePage{kLetterWidth, kLetterHeight, pageColour(4), {"Page 4"}, {}};
    const QString turned = dir.path() + "/turned.pdf";
    ASSERT_TRUE(rotatePage(file("mixed.pdf", makePdf(pdf)), turned, 4, 90));
    const PdfImportOutcome outcome = import(turned);
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message.toStdString();

    const WallFolder wall(work);
    const QList<QSize> expected = {{816, 1056}, {1056, 816}, {560, 793}, {1056, 816}};
    ASSERT_EQ(wallJpegs(), QStringList({"0.jpg", "1.jpg", "2.jpg", "3.jpg"}));
    for (int i = 0; i < 4; ++i) {
        const QImage image(wall.images() + QString("%1.jpg").arg(i));
        const QImage thumbnail(wall.thumbnails() + QString("%1.jpg").arg(i));
        EXPECT_EQ(image.size(), expected[i]) << i;
        EXPECT_EQ(pageShown(image, 4), i + 1);
        EXPECT_EQ(thumbnail.width(), 180);
        EXPECT_NEAR(thumbnail.height(), 180.0 * expected[i].height() / expected[i].width(), 1);
        EXPECT_EQ(pageShown(thumbnail, 4), i + 1);
    }
    EXPECT_TRUE(QFile::exists(wall.images() + "notes.txt"));
    EXPECT_EQ(outcome.slides.imageNumbers(), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(outcome.slides.pixSize, QSize(816, 1056));
    EXPECT_FALSE(QFile::exists(wall.conversionStaging()));
}

TEST_F(PdfImportTest, ARangeTakesItsPagesUnderTheirNumbersWithTheirWords) {
    MadePdf pdf = numberedPages(5);
    pdf.pages[3].links = {{QRectF(0, 0, 100, 50), {}, 2}, {QRectF(0, 60, 100, 50), {}, 5}};
    const PdfImportOutcome outcome = import(file("five.pdf", makePdf(pdf)), "4, 1-2, 9");
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message.toStdString();

    ASSERT_EQ(wallJpegs(), QStringList({"1.jpg", "2.jpg", "4.jpg"}));
    for (const int page : {1, 2, 4}) {
        EXPECT_EQ(pageShown(QImage(WallFolder(work).images() + QString("%1.jpg").arg(page)), 5),
                  page);
    }
    EXPECT_EQ(outcome.slides.imageNumbers(), QStringList({"4", "1", "2"}));
    const std::optional<DeckWords> words = readWallWords(WallFolder(work));
    ASSERT_TRUE(words);
    ASSERT_EQ(words->slides.size(), 3);
    EXPECT_EQ(words->slides[0].text.trimmed(), "Page 4");
    EXPECT_EQ(words->slides[2].text.trimmed(), "Page 2");
    // Page 4's jump to page 2 now goes to the wall's third image; its jump to page 5, not in the
    // wall, is gone.
    ASSERT_EQ(words->slides[0].links.size(), 1);
    EXPECT_EQ(words->slides[0].links[0].slide, 3);
}

TEST_F(PdfImportTest, TheWordsCarryTextInReadingOrderLinksAndTheDocumentsFacts) {
    MadePdf pdf = numberedPages(2);
    pdf.title = "Annual report";
    pdf.author = "Ada Writer";
    pdf.language = "en-GB";
    pdf.pages[0].lines = {"Hello wall", "second line"};
    pdf.pages[0].links = {{QRectF(61.2, 79.2, 122.4, 39.6), "https://example.org/a", 0},
                          {QRectF(306, 396, 153, 198), {}, 2}};
    ASSERT_TRUE(import(file("words.pdf", makePdf(pdf))).result.ok());

    const std::optional<DeckWords> words = readWallWords(WallFolder(work));
    ASSERT_TRUE(words);
    EXPECT_EQ(words->title, "Annual report");
    EXPECT_EQ(words->author, "Ada Writer");
    EXPECT_EQ(words->language, "en-GB");
    ASSERT_EQ(words->slides.size(), 2);
    const SlideWords& first = words->slides[0];
    EXPECT_LT(first.text.indexOf("Hello wall"), first.text.indexOf("second line"));
    EXPECT_GE(first.text.indexOf("Hello wall"), 0);
    ASSERT_EQ(first.links.size(), 2);
    EXPECT_EQ(first.links[0].url, "https://example.org/a");
    EXPECT_NEAR(first.links[0].x, 0.1, 1e-3);
    EXPECT_NEAR(first.links[0].y, 0.1, 1e-3);
    EXPECT_NEAR(first.links[0].w, 0.2, 1e-3);
    EXPECT_NEAR(first.links[0].h, 0.05, 1e-3);
    EXPECT_EQ(first.links[1].slide, 2);
    EXPECT_NEAR(first.links[1].x, 0.5, 1e-3);
    EXPECT_NEAR(first.links[1].y, 0.5, 1e-3);
}

// The catalog packed into a compressed object stream, and its strings encrypted: the language
// is not in the file as plain text.
TEST_F(PdfImportTest, TheLanguageIsReadFromAPackedOrProtectedCatalog) {
    MadePdf made = numberedPages(1);
    made.language = "he-IL";
    const QString plain = file("plain.pdf", makePdf(made));
    const QStringList packed = {"--object-streams=generate"};
    const struct {
        const char* name;
        QStringList options;
        QByteArray password;
    } cases[] = {
        {"packed.pdf", packed, {}},
        {"locked.pdf", packed + QStringList{"--encrypt", "pw", "owner", "256", "--"}, "pw"}};
    for (const auto& pdf : cases) {
        SCOPED_TRACE(pdf.name);
        const QString path = dir.path() + "/" + pdf.name;
        ASSERT_TRUE(rewriteWithQpdf(plain, path, pdf.options));
        QFile raw(path);
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        ASSERT_FALSE(raw.readAll().contains("he-IL"));
        ASSERT_TRUE(import(path, {}, pdf.password).result.ok());
        const std::optional<DeckWords> words = readWallWords(WallFolder(work));
        ASSERT_TRUE(words);
        EXPECT_EQ(words->language, "he-IL");
    }
}

TEST_F(PdfImportTest, TheRightPasswordOpensAProtectedPdf) {
    const QString plain = file("plain.pdf", makePdf(numberedPages(2)));
    const QString locked = dir.path() + "/locked.pdf";
    ASSERT_TRUE(protectWithPassword(plain, locked, "s3cret"));
    const PdfImportOutcome outcome = import(locked, {}, "s3cret");
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message.toStdString();
    EXPECT_EQ(wallJpegs(), QStringList({"0.jpg", "1.jpg"}));
    EXPECT_EQ(pageShown(QImage(WallFolder(work).images() + "1.jpg"), 2), 2);
}

TEST_F(PdfImportTest, AStopBetweenPagesLeavesTheWallAsItWas) {
    const auto before = folderDigest(work);
    std::atomic<int> asked{0};
    const PdfImportOutcome outcome = import(file("ten.pdf", makePdf(numberedPages(10))), {}, {},
                                            [&asked] { return ++asked > 3; });
    EXPECT_EQ(outcome.result.code, JobResult::Stopped);
    EXPECT_EQ(folderDigest(work), before) << digestDifferences(folderDigest(work), before);
}

TEST_F(PdfImportTest, TheJobReportsEachPageAndHandsTheSlidesOver) {
    PdfImportJob job;
    PdfImportRequest request;
    request.pdf = file("four.pdf", makePdf(numberedPages(4)));
    request.workFolder = work;
    job.setRequest(request);
    qint64 lastDone = 0, lastTotal = 0;
    QObject::connect(&job, &Job::progress, [&](qint64 done, qint64 total, const QString&) {
        lastDone = done;
        lastTotal = total;
    });
    QEventLoop loop;
    QObject::connect(&job, &Job::finished, &loop, &QEventLoop::quit);
    ASSERT_TRUE(job.start());
    loop.exec();
    ASSERT_TRUE(job.result().ok()) << job.result().message.toStdString();
    EXPECT_EQ(lastDone, 4);
    EXPECT_EQ(lastTotal, 4);
    EXPECT_EQ(job.slides().imageNumbers(), QStringList({"0", "1", "2", "3"}));
}

// One bad file each: the import refuses it with a message that says what is wrong, and the wall,
// its slides, thumbnails and index, stays byte for byte as it was.
struct Fault {
    const char* name;
    std::function<QByteArray()> bytes;
    QByteArray password;          // given with the import
    bool protect = false;         // the bytes are protected by qpdf with "right" first
    PdfDocument::Problem problem; // as the job tells it
    const char* says;             // in the message
};

void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

QByteArray truncated() {
    const QByteArray whole = makePdf(numberedPages(3));
    return whole.left(whole.size() * 2 / 3);
}

// Every object overwritten: what is left has a header and an end but nothing to read.
QByteArray overwritten() {
    QByteArray pdf = makePdf(numberedPages(3));
    const qsizetype from = pdf.indexOf('\n') + 1;
    const qsizetype to = pdf.lastIndexOf("startxref");
    for (qsizetype i = from; i < to; ++i) {
        pdf[i] = i % 64 == 0 ? '\n' : 'x';
    }
    return pdf;
}

QByteArray hugeSecondPage() {
    MadePdf pdf = numberedPages(3);
    pdf.pages[1].width = 200000;
    return makePdf(pdf);
}

const Fault kFaults[] = {
    {"NotAPdf",
     [] { return QByteArray("Dear all,\nthe slides follow.\n"); },
     {},
     false,
     PdfDocument::Problem::NotAPdf,
     "is not a PDF file"},
    {"Truncated", truncated, {}, false, PdfDocument::Problem::Damaged, "damaged or incomplete"},
    {"Damaged", overwritten, {}, false, PdfDocument::Problem::Damaged, "damaged or incomplete"},
    {"ZeroPages",
     [] { return makePdf(MadePdf{}); },
     {},
     false,
     PdfDocument::Problem::NoPages,
     "has no pages"},
    {"PasswordMissing",
     [] { return makePdf(numberedPages(2)); },
     {},
     true,
     PdfDocument::Problem::NeedsPassword,
     "protected by a password"},
    {"PasswordWrong", [] { return makePdf(numberedPages(2)); }, "wrong", true,
     PdfDocument::Problem::WrongPassword, "password does not open"},
    {"PageFailsToRender",
     hugeSecondPage,
     {},
     false,
     PdfDocument::Problem::None,
     "page 2 is too large"},
};

class PdfFaultTest : public PdfImportTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(PdfFaultTest, IsRefusedWithAClearMessageAndTheWallUntouched) {
    const Fault& fault = GetParam();
    QString pdf = file("bad.pdf", fault.bytes());
    if (fault.protect) {
        const QString locked = dir.path() + "/locked.pdf";
        ASSERT_TRUE(protectWithPassword(pdf, locked, "right"));
        pdf = locked;
    }
    const auto before = folderDigest(work);
    const PdfImportOutcome outcome = import(pdf, {}, fault.password);
    EXPECT_EQ(outcome.result.code, JobResult::Failed);
    EXPECT_EQ(outcome.problem, fault.problem);
    EXPECT_TRUE(outcome.result.message.contains(fault.says))
        << outcome.result.message.toStdString();
    EXPECT_EQ(folderDigest(work), before) << digestDifferences(folderDigest(work), before);
}

INSTANTIATE_TEST_SUITE_P(Pdf, PdfFaultTest, ::testing::ValuesIn(kFaults),
                         [](const auto& param) { return std::string(param.param.name); });

// Rectangles of one colour are painted without the general scan where they can be: each drawing
// here must still come out as the scan alone paints it, whether it takes that way or not.
TEST_F(PdfImportTest, RectanglesArePaintedExactlyAsPopplersScanPaintsThem) {
    const QList<QByteArray> drawings = {
        "0.2 0.4 0.6 rg 10.3 20.7 300.55 400.1 re f",                      // edges between pixels
        "1 0 0 rg 100 100 m 300 100 l 300 300 l 200 300 l 100 300 l h f*", // a point on a side
        "q 5.5 7.25 500.3 600.6 re W n 0 0 1 rg 0 0 612 792 re f Q",       // clipped by a rectangle
        "0 0.5 0 rg -50 -50 300 300 re f 600 700 100 200 re f",            // partly off the page
        "q 0.9 0.4 -0.4 0.9 200 200 cm 0 0 1 rg 0 0 200 100 re f Q",       // turned
        "/Half gs 0 1 0 rg 50 50 400 400 re f",                            // half transparent
        "q 100 100 m 500 150 l 300 600 l h W n 0 0 0 rg 0 0 612 792 re f Q", // clipped by a path
        "0.3 g 100 100 m 200 100 l 200 200 l 100 200 l 100 100 l 200 100 l 200 200 l 100 200 l "
        "h f*",                                                                  // gone round twice
        "0 0 1 rg 30 30 m 130 30 l 130 130 l 30 130 l h f 0 g 40 40 20 20 re f", // nested
        "0.5 0.5 0 rg 10 10 3 500 re f 0 0 0 rg 0 0 0.4 0.4 re f",   // too thin, too small
        "1 0 1 rg 20 700 400 60 re f",                               // over the page's text
        "0 0.5 0.5 rg -99999999 -99999999 199999999 199999999 re f", // far larger than the page
    };
    MadePdf made;
    for (const QByteArray& drawing : drawings) {
        made.pages << MadePage{kLetterWidth, kLetterHeight, pageColour(1), {"Under a drawing"}, {}};
        made.drawings << drawing + "\n";
    }
    expectPaintedAsPopplerScans(file("drawings.pdf", makePdf(made)));
}

// A PDF as LibreOffice exports a deck: wide slides stay wide, and their text is read.
TEST_F(PdfImportTest, FromOfficeAWideDeckStaysWideWithItsText) {
    const PdfImportOutcome outcome = import(QStringLiteral(MURANO_DECK_DIR "/wide.pdf"));
    ASSERT_TRUE(outcome.result.ok()) << outcome.result.message.toStdString();
    ASSERT_EQ(wallJpegs(), QStringList({"0.jpg", "1.jpg", "2.jpg"}));
    const QSize size = QImageReader(WallFolder(work).images() + "2.jpg").size();
    EXPECT_NEAR(double(size.width()) / size.height(), 16.0 / 9.0, 0.02);
    const std::optional<DeckWords> words = readWallWords(WallFolder(work));
    ASSERT_TRUE(words);
    ASSERT_EQ(words->slides.size(), 3);
    EXPECT_TRUE(words->slides[2].text.contains("Slide 3"));
}

TEST_F(PdfImportTest, FromOfficeEveryPageIsPaintedExactlyAsPopplersScanPaintsIt) {
    expectPaintedAsPopplerScans(QStringLiteral(MURANO_DECK_DIR "/wide.pdf"));
}

} // namespace
