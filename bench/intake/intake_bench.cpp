// Times the slide intake of a large import, one thumbnail worker against one per core, and checks
// that both produce the same files byte for byte.
#include "import/image_intake.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Slides with gradients and text, so that decoding and scaling do realistic work.
void stageSlides(const QString& staging, int count) {
    QDir().mkpath(staging);
    for (int n = 1; n <= count; ++n) {
        QImage slide(960, 720, QImage::Format_RGB32);
        QPainter painter(&slide);
        QLinearGradient gradient(0, 0, 960, 720);
        gradient.setColorAt(0, QColor::fromHsv(n * 7 % 360, 160, 230));
        gradient.setColorAt(1, QColor::fromHsv((n * 7 + 120) % 360, 200, 90));
        painter.fillRect(slide.rect(), gradient);
        painter.setPen(Qt::white);
        painter.setFont(QFont("DejaVu Sans", 48));
        painter.drawText(slide.rect(), Qt::AlignCenter, QString("Slide %1").arg(n));
        painter.end();
        slide.save(staging + QString("Slide%1.JPG").arg(n), "JPEG", 90);
    }
}

QByteArray digestOf(const QString& folder) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(folder + name);
        file.open(QIODevice::ReadOnly);
        hash.addData(name.toUtf8());
        hash.addData(file.readAll());
    }
    return hash.result();
}

double timeIntake(const QString& work, const QString& master, int slides, int threads) {
    QDir(work).removeRecursively();
    QDir().mkpath(work + "wallimages/thumbs");
    QDir().mkpath(work + ".laq");
    for (const QString& name : QDir(master).entryList(QDir::Files)) {
        QFile::copy(master + name, work + ".laq/" + name);
    }
    IntakeRequest request;
    request.workFolder = work;
    request.imageCount = slides;
    request.lastIndex = slides;
    request.threads = threads;
    QElapsedTimer timer;
    timer.start();
    runImageIntake(request);
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // text on the generated slides needs fonts
    const int slides = argc > 1 ? std::atoi(argv[1]) : 500;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir dir;
    const QString master = dir.path() + "/master/";
    stageSlides(master, slides);
    const QString single = dir.path() + "/single/";
    const QString parallel = dir.path() + "/parallel/";
    const int cores = static_cast<int>(std::thread::hardware_concurrency());

    double best1 = 1e9;
    double bestN = 1e9;
    for (int round = 0; round < rounds; ++round) {
        best1 = std::min(best1, timeIntake(single, master, slides, 1));
        bestN = std::min(bestN, timeIntake(parallel, master, slides, 0));
    }
    const bool same =
        digestOf(single + "wallimages/") == digestOf(parallel + "wallimages/") &&
        digestOf(single + "wallimages/thumbs/") == digestOf(parallel + "wallimages/thumbs/");
    std::printf("intake of %d slides of 960x720, best of %d rounds\n", slides, rounds);
    std::printf("  one worker:          %.2f s\n", best1);
    std::printf("  %d workers (cores):   %.2f s\n", cores, bestN);
    std::printf("  speed-up:            %.2fx (target >= 1.6)\n", best1 / bestN);
    std::printf("  identical output:    %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}
