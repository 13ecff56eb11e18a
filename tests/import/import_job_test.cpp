// An import without windows, driving a scripted stand-in converter that prints what the real one
// prints and stages prepared slide images: the progress, the intake, the failures and a cancel
// that never waits for the converter.
#include "import/import_checks.h"
#include "import/import_job.h"
#include "platform/office/warm_office.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ImportJobTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "import_job_test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) {
            new QCoreApplication(argc, argv);
        }
    }

    void SetUp() override {
        QDir().mkpath(work + "wallimages/thumbs");
        QDir().mkpath(scratch.path() + "/slides");
        for (int n = 1; n <= 3; ++n) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(Qt::red);
            image.save(scratch.path() + QString("/slides/Slide%1.JPG").arg(n), "JPEG");
        }
    }

    // The stand-in converter: its fourth argument is the output path <work>.laq.jpg.
    QString converter(const QString& body, bool executable = true) {
        const QString path = scratch.path() + "/lantrel.dll";
        QFile script(path);
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nout=\"${4%.jpg}\"\nslides=\"" +
                     (scratch.path() + "/slides").toUtf8() + "\"\n" + body.toUtf8());
        script.close();
        script.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                         : QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    ImportRequest request(const QString& program) const {
        return {program, "/decks/talk.pptx", work, true, {}};
    }

    QStringList wall() const { return QDir(work + "wallimages").entryList(QDir::Files); }

    QTemporaryDir scratch;
    QString work = scratch.path() + "/Quorvex_Murano/";
    bool start(const ImportRequest& request) {
        job.setRequest(request);
        return job.start();
    }
    // The reports of one stage, as (done, total, text).
    QList<QList<QVariant>> reports(ImportJob::Stage stage) const {
        QList<QList<QVariant>> of;
        for (int i = 0; i < progress.count(); ++i) {
            if (stages.at(i) == stage) {
                of << progress.at(i);
            }
        }
        return of;
    }

    ImportJob job;
    QSignalSpy progress{&job, &Job::progress};
    QSignalSpy ended{&job, &Job::finished};
    QList<ImportJob::Stage> stages; // the stage of each report
    QMetaObject::Connection staging =
        QObject::connect(&job, &Job::progress, [this] { stages << job.stage(); });
};

const char* const kConverting =
    "printf 'Loading file...[20%%]\\r\\nExport file(s)...[50%%]\\r\\n'\n"
    "mkdir -p \"$out\" && cp \"$slides\"/* \"$out\"/\n"
    "printf 'Done...[100%%]\\r\\nConversion Finished! Result value = 3\\r\\n'\n";

TEST_F(ImportJobTest, AConversionReportsItsProgressAndTakesTheSlidesIn) {
    ASSERT_TRUE(start(request(converter(kConverting))));
    EXPECT_TRUE(job.isRunning());
    EXPECT_FALSE(start(request(converter(kConverting)))) << "one run at a time";
    ASSERT_TRUE(ended.wait(20000));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_TRUE(job.result().ok()) << job.result().message.toStdString();
    const ImportedSlides& slides = job.slides();
    EXPECT_EQ(slides.imageCount, 3);
    EXPECT_EQ(slides.imageNumbers(), (QStringList{"0", "1", "2"}));
    EXPECT_EQ(slides.pixSize, QSize(64, 48));
    const auto converting = reports(ImportJob::Stage::Converting);
    ASSERT_FALSE(converting.isEmpty());
    EXPECT_EQ(converting.last(), (QList<QVariant>{1000, 1000, progressCaption(100)}));
    const auto takingIn = reports(ImportJob::Stage::TakingIn);
    ASSERT_FALSE(takingIn.isEmpty());
    EXPECT_EQ(takingIn.last(), (QList<QVariant>{3, 3, "Preparing slide 3 of 3..."}));
    EXPECT_EQ(wall().size(), 3);
    EXPECT_FALSE(QDir(work + ".laq").exists());
    EXPECT_FALSE(job.isRunning());
}

TEST_F(ImportJobTest, FailuresLeaveTheWallAsItWas) {
    const struct {
        const char* script;
        bool executable;
        ImportJob::Failure failure;
    } cases[] = {
        {"printf 'Conversion Finished! Result value = -2\\r\\n'\nexit 254\n", true,
         ImportJob::Failure::NotAPresentation},
        {"mkdir -p \"$out\" && cp \"$slides\"/* \"$out\"/\nexit 3\n", true,
         ImportJob::Failure::ConversionFailed},
        {"printf 'Loading file...[20%%]\\r\\n'\nexit 168\n", true, ImportJob::Failure::TimedOut},
        {"printf 'Loading file...[20%%]\\r\\n'\nexit 3\n", true,
         ImportJob::Failure::ConversionFailed},
        {"", false, ImportJob::Failure::CannotStart},
    };
    for (const auto& c : cases) {
        ended.clear();
        ASSERT_TRUE(start(request(converter(c.script, c.executable))));
        ASSERT_TRUE(ended.count() == 1 || ended.wait(20000)) << c.script;
        ASSERT_EQ(job.result().code, JobResult::Failed) << c.script;
        EXPECT_EQ(job.failure(), c.failure) << c.script;
        if (c.failure != ImportJob::Failure::CannotStart) {
            EXPECT_EQ(job.result().message, failureText(c.failure, "/decks/talk.pptx", {}));
        }
        EXPECT_FALSE(job.isRunning());
        EXPECT_FALSE(QDir(work + ".laq").exists()) << "what it exported is gone: " << c.script;
    }
    EXPECT_TRUE(wall().isEmpty());
}

TEST_F(ImportJobTest, CancelNeverWaitsAndKillsAConverterThatIgnoresTheStop) {
    job.setStopGrace(300);
    ASSERT_TRUE(start(request(converter("trap '' TERM\nprintf 'Loading file...[20%%]\\r\\n'\n"
                                        "while :; do sleep 1; done\n"))));
    ASSERT_TRUE(progress.wait(20000));
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(job.cancel());
    EXPECT_EQ(ended.count(), 0) << "cancel returned without waiting for the converter's end";
    EXPECT_TRUE(job.isRunning()) << "busy until the converter has ended";
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_GE(timer.elapsed(), 250) << "killed only once the grace has passed";
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(job.result().code, JobResult::Stopped);
    EXPECT_FALSE(job.isRunning());
    EXPECT_FALSE(job.cancel()) << "nothing left to stop";
}

// A split deck whose second half is converted first: its thumbnails, made while the first half
// still converts, follow the first half's, so that every thumbnail stays with its slide.
TEST_F(ImportJobTest, ASplitDecksHalvesKeepTheirSlidesOrderWhicheverEndsFirst) {
    const auto colour = [](int n) { return QColor::fromHsv(n * 50, 255, 255); };
    QDir().mkpath(scratch.path() + "/halves");
    for (int n = 1; n <= 6; ++n) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(colour(n));
        image.save(scratch.path() + QString("/halves/Slide%1.JPG").arg(n), "JPEG", 100);
    }
    // Part 2 stages slides 4 to 6 and ends; part 1 waits for that, then stages slides 1 to 3.
    const QString program = converter(
        "halves=\"$slides/../halves\"\n"
        "if [ \"$3\" = -part ]; then part=$4; out=\"${8%.jpg}\"; else exit 1; fi\n"
        "mkdir -p \"$out\"\n"
        "if [ \"$part\" = 2 ]; then cp \"$halves\"/Slide[456].JPG \"$out\"/; touch \"$halves/2\"\n"
        "else while [ ! -e \"$halves/2\" ]; do sleep 0.05; done\n"
        "cp \"$halves\"/Slide[123].JPG \"$out\"/; fi\n"
        "printf 'Conversion Finished! Result value = 3\\r\\n'\n");
    const WarmOffice first; // none started: the converters are told of none
    const WarmOffice second;
    job.setWarmOffice(&first);
    job.setSecondOffice(&second);
    ASSERT_TRUE(start({program, MURANO_DECK_DIR "/forty.pptx", work, true, {}}));
    ASSERT_TRUE(ended.wait(30000));
    ASSERT_TRUE(job.result().ok()) << job.result().message.toStdString();
    ASSERT_EQ(job.slides().imageCount, 6);
    for (int i = 0; i < 6; ++i) {
        for (const char* folder : {"wallimages/%1.jpg", "wallimages/thumbs/%1.jpg"}) {
            const QImage image(work + QString(folder).arg(i));
            ASSERT_FALSE(image.isNull()) << folder << " " << i;
            const QColor seen = image.pixelColor(image.width() / 2, image.height() / 2);
            EXPECT_LT(qAbs(seen.hue() - colour(i + 1).hue()), 10) << folder << " " << i;
        }
    }
    EXPECT_FALSE(QDir(work + ".laq").exists());
    EXPECT_FALSE(QDir(work + ".laq2").exists());
}

} // namespace
