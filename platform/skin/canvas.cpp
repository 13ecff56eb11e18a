#include "platform/skin/skin.h"

#include <QRadialGradient>

#include <cstdio>

QImage transparentImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(alpha);
    return colour;
}

void glow(QPainter& p, QPointF centre, double radius, const QColor& colour, double alpha) {
    QRadialGradient light(centre, radius);
    light.setColorAt(0, withAlpha(colour, alpha));
    light.setColorAt(1, withAlpha(colour, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(centre, radius, radius);
}

bool savePicture(const SkinOutput& out, const QImage& image, const QString& name) {
    const QString path = out.imageFolder + name;
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool savePair(const SkinOutput& out, const QImage& normal, const QImage& hover,
              const QString& name) {
    const bool first = savePicture(out, normal, name);
    const bool second = savePicture(out, hover, name + ".png");
    return first && second;
}

void inDesignSpace(QPainter& painter, const QRectF& box, const std::function<void()>& paint) {
    painter.save();
    painter.translate(box.topLeft());
    painter.scale(box.width() / 64.0, box.height() / 64.0);
    paint();
    painter.restore();
}
