// Build-time maker of the template folder's generated files:
//   template_tool movie <main.swf>                 the template movie
//   template_tool twin <images.xml>                the index's script twin beside it
//   template_tool art <background.jpg> <logo.png>  the default background and logo
#include "platform/player/gallery_script.h"
#include "platform/skin/grain.h"
#include "platform/swf/swf_writer.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cstdio>
#include <cstring>

namespace {

// The stage colour of the default wall, shared by the movie and the background.
const QColor kStage(0x0b, 0x0e, 0x16);

bool writeMovie(const char* path) {
    namespace swf = murano::swf;
    swf::MovieHeader header;
    header.frameSize = {0, swf::twips(855), 0, swf::twips(532)};
    header.frameRate = 24.0;
    swf::Movie movie(header);
    movie.setBackgroundColor({static_cast<std::uint8_t>(kStage.red()),
                              static_cast<std::uint8_t>(kStage.green()),
                              static_cast<std::uint8_t>(kStage.blue())});
    movie.showFrame();
    return swf::writeFile(path, movie.finish());
}

void paintGlow(QPainter& painter, QPointF centre, double radius, QColor colour) {
    QRadialGradient glow(centre, radius);
    glow.setColorAt(0.0, colour);
    colour.setAlpha(0);
    glow.setColorAt(1.0, colour);
    painter.fillRect(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
                     glow);
}

// A deep blue-black stage: a soft light from above, a glowing horizon where the wall stands and a
// faint grain so that large screens show no banding.
QImage backgroundImage() {
    const int width = 1600;
    const int height = 1000;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient base(0, 0, 0, height);
    base.setColorAt(0.0, QColor(0x05, 0x07, 0x0d));
    base.setColorAt(0.55, QColor(0x12, 0x18, 0x29));
    base.setColorAt(0.62, QColor(0x16, 0x1d, 0x31));
    base.setColorAt(1.0, QColor(0x04, 0x05, 0x09));
    painter.fillRect(image.rect(), base);
    paintGlow(painter, {width * 0.5, height * 0.58}, width * 0.55, QColor(0x3a, 0x4f, 0x86, 70));
    paintGlow(painter, {width * 0.5, -height * 0.15}, width * 0.45, QColor(0x8a, 0x9c, 0xc8, 40));
    paintGlow(painter, {width * 0.18, height * 0.75}, width * 0.3, QColor(0x5b, 0x3a, 0x7a, 28));
    paintGlow(painter, {width * 0.85, height * 0.7}, width * 0.3, QColor(0x1e, 0x6b, 0x7a, 24));
    painter.end();

    addGrain(image, 3, 20261207);
    return image;
}

// Three glass tiles fanned in perspective beside the word mark, on a transparent ground.
QImage logoImage() {
    QImage image(300, 84, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tints[] = {QColor(0x5e, 0x8b, 0xff), QColor(0x9b, 0x6b, 0xff),
                            QColor(0x3f, 0xd0, 0xc9)};
    for (int i = 0; i < 3; ++i) {
        const double x = 10 + i * 17;
        const double lean = 7 - i * 3;
        QPainterPath tile;
        tile.moveTo(x, 18 + lean);
        tile.lineTo(x + 30, 14);
        tile.lineTo(x + 30, 70);
        tile.lineTo(x, 66 - lean);
        tile.closeSubpath();
        QLinearGradient glass(x, 14, x + 30, 70);
        QColor top = tints[i];
        top.setAlpha(235);
        QColor bottom = tints[i].darker(170);
        bottom.setAlpha(215);
        glass.setColorAt(0.0, top.lighter(130));
        glass.setColorAt(1.0, bottom);
        painter.fillPath(tile, glass);
        painter.setPen(QPen(QColor(255, 255, 255, 120), 1.2));
        painter.drawPath(tile);
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(34);
    font.setWeight(QFont::Light);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    painter.setFont(font);
    painter.setPen(QColor(0xf2, 0xf4, 0xfa));
    painter.drawText(QRectF(92, 8, 208, 46), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Murano"));
    font.setPixelSize(11);
    font.setWeight(QFont::Normal);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 4.0);
    painter.setFont(font);
    painter.setPen(QColor(0xa9, 0xb6, 0xd6));
    painter.drawText(QRectF(94, 52, 206, 20), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("IMAGE WALL"));
    painter.end();
    return image;
}

int usage() {
    std::fputs("usage: template_tool movie <main.swf> | twin <images.xml> | art <background.jpg> "
               "<logo.png>\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "movie") == 0) {
        return writeMovie(argv[2]) ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "twin") == 0) {
        return murano::player::writeGalleryScript(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "art") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const bool background = backgroundImage().save(QString::fromLocal8Bit(argv[2]), "JPG", 90);
        const bool logo = logoImage().save(QString::fromLocal8Bit(argv[3]), "PNG");
        return background && logo ? 0 : 1;
    }
    return usage();
}
