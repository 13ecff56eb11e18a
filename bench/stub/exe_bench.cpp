// The executable output of a large wall: `exe_bench wall FOLDER/ SLIDES` lays out a work folder
// with that many slide pictures and thumbnails; `exe_bench exe FOLDER/ TARGET STUB` times makeExe
// on it and prints its seconds and the peak memory of the process before and after.
#include "publish/exe_output.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QImage slide(int n, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor::fromHsv(n * 7 % 360, 160, 230));
    gradient.setColorAt(1, QColor::fromHsv((n * 7 + 120) % 360, 200, 90));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.setFont(QFont("DejaVu Sans", height / 15));
    painter.drawText(image.rect(), Qt::AlignCenter, QString("Slide %1").arg(n));
    return image;
}

int makeWall(const QString& work, int slides) {
    QDir().mkpath(work);
    const QString flash = MURANO_BIN_DIR "/flash/";
    for (const char* name : {"index.html", "main.swf", "swfobject.js", "xml/images.xml",
                             "background/background.jpg", "logo/logo.png"}) {
        const QString file = work + name;
        QDir().mkpath(QFileInfo(file).path());
        QFile::copy(flash + name, file);
    }
    QDir().mkpath(work + "wallimages/thumbs");
    for (int n = 1; n <= slides; ++n) {
        slide(n, 960, 720).save(work + QString("wallimages/%1.jpg").arg(n), "JPEG", 90);
        slide(n, 180, 135).save(work + QString("wallimages/thumbs/%1.jpg").arg(n), "JPEG", 90);
    }
    return 0;
}

int timeExe(const QString& work, const QString& target, const QString& stub) {
    const long before = peakKilobytes();
    QElapsedTimer timer;
    timer.start();
    const JobResult result = makeExe(target, work + "book.zip", WallFolder(work), {}, stub);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.message));
        return 1;
    }
    std::printf("makeExe: %.2f s, output %.1f MB, peak memory %ld MB before, %ld MB after\n",
                seconds, static_cast<double>(QFileInfo(target).size()) / 1e6, before / 1024,
                peakKilobytes() / 1024);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv); // text on the generated slides needs fonts
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "wall") {
        return makeWall(args[2], args[3].toInt());
    }
    if (args.size() == 5 && args[1] == "exe") {
        return timeExe(args[2], args[3], args[4]);
    }
    std::fprintf(stderr, "usage: exe_bench wall FOLDER/ SLIDES | exe FOLDER/ TARGET STUB\n");
    return 2;
}
