#include "tests/publish/wall_fixture.h"

#include "platform/player/gallery_script.h"
#include "wall/folders.h"
#include "wall/gallery_index.h"
#include "wall/wall_look.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

void writePicture(const QString& path, int number, QSize size, bool draw) {
    if (!draw) {
        writeBytes(path, "slide " + QByteArray::number(number));
        return;
    }
    // A slide-like picture: a gradient, a title bar and blocks of many colours, which gives JPEGs
    // of the size real slides have.
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient fill(0, 0, size.width(), size.height());
    fill.setColorAt(0, QColor::fromHsv((number * 47) % 360, 60, 235));
    fill.setColorAt(1, QColor::fromHsv((number * 47 + 40) % 360, 90, 190));
    painter.fillRect(image.rect(), fill);
    painter.fillRect(0, 0, size.width(), size.height() / 7,
                     QColor::fromHsv((number * 47) % 360, 140, 90));
    QRandomGenerator random(static_cast<quint32>(number));
    for (int i = 0; i < 60; ++i) {
        const int w = random.bounded(size.width() / 4) + 2;
        const int h = random.bounded(size.height() / 8) + 2;
        painter.fillRect(random.bounded(size.width() - w), random.bounded(size.height() - h), w, h,
                         QColor::fromRgb(random.generate() | 0xff000000u));
    }
    painter.end();
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    image.save(path, "JPEG", 85);
}

} // namespace

void makeWall(const QString& folder, const WallFixture& wall) {
    copyTree(QStringLiteral(MURANO_BIN_DIR "/flash"), folder);
    QStringList numbers;
    for (int i = 1; i <= wall.slides; ++i) {
        const QString name = QString::number(i) + wall.slideExtension;
        writePicture(folder + "/wallimages/" + name, i, QSize(960, 720), wall.drawPictures);
        writePicture(folder + "/wallimages/thumbs/" + name, i, QSize(180, 135), wall.drawPictures);
        numbers << QString::number(i);
    }
    WallLook look;
    look.mode = BackgroundMode::Image;
    look.logoFile = QStringLiteral("/elsewhere/Logo.PNG");
    look.backgroundFile = QStringLiteral("/elsewhere/Back.JPG");
    look.bookTitle = wall.bookTitle;
    QFile::rename(folder + "/logo/logo.png", folder + "/" + logoPath(look.logoFile));
    QFile::rename(folder + "/background/background.jpg",
                  folder + "/" + backgroundPath(look.backgroundFile));
    GalleryIndex index;
    index.load(folder + "/xml/images.xml");
    index.setStartTag(galleryStartTag(look));
    index.setImageLines(numbers);
    QStringList lines = index.lines();
    lines.replaceInStrings(QStringLiteral(".jpg\""), wall.slideExtension + "\"");
    writeBytes(folder + "/xml/images.xml", lines.join('\n').toUtf8() + '\n');
    murano::player::writeGalleryScript(folder + "/xml/images.xml");
}

QStringList filesNamedByWall(const QString& folder) {
    QFile index(folder + "/xml/images.xml");
    index.open(QIODevice::ReadOnly);
    const QString xml = QString::fromUtf8(index.readAll());
    QStringList files = {QStringLiteral("swfobject.js"), QStringLiteral("xml/images.xml"),
                         QStringLiteral("xml/images.js")};
    static const QRegularExpression source(QStringLiteral("<img src=\"([^\"]+)\""));
    for (const QRegularExpressionMatch& m : source.globalMatch(xml)) {
        files << "wallimages/" + m.captured(1) << "wallimages/thumbs/" + m.captured(1);
    }
    static const QRegularExpression logo(QStringLiteral("logo_img=\"([^\"]+)\""));
    static const QRegularExpression back(QStringLiteral("back_ground=\"2\\{([^,]+),"));
    files << logo.match(xml).captured(1) << back.match(xml).captured(1);
    return files;
}
