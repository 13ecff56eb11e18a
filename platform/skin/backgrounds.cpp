#include "platform/skin/palette.h"
#include "platform/skin/skin.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

void lightPanel(QPainter& p, const QRectF& area) {
    QLinearGradient body(0, area.top(), 0, area.bottom());
    body.setColorAt(0, palette::panelTop);
    body.setColorAt(1, palette::panelBottom);
    p.fillRect(area, body);
    p.save();
    p.setClipRect(area);
    glow(p, QPointF(area.right() - area.width() * 0.12, area.top() + area.height() * 0.1),
         area.width() * 0.55, palette::accent, 0.07);
    glow(p, QPointF(area.left() + area.width() * 0.08, area.bottom()), area.width() * 0.45,
         palette::violet, 0.05);
    p.restore();
}

// The dark title band with its accent rule underneath.
void titleBand(QPainter& p, double width, double height) {
    QLinearGradient band(0, 0, 0, height);
    band.setColorAt(0, palette::slate700);
    band.setColorAt(1, palette::slate900);
    p.fillRect(QRectF(0, 0, width, height), band);
    p.fillRect(QRectF(0, 0, width, 1), withAlpha(Qt::white, 0.08));
    QLinearGradient rule(0, 0, width, 0);
    rule.setColorAt(0, withAlpha(palette::accent, 0.0));
    rule.setColorAt(0.2, palette::accent);
    rule.setColorAt(0.8, palette::violet);
    rule.setColorAt(1, withAlpha(palette::violet, 0.0));
    p.fillRect(QRectF(0, height - 2, width, 2), rule);
}

void outline(QPainter& p, double width, double height, double radius) {
    p.setPen(QPen(withAlpha(palette::slate600, 0.55), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(0.5, 0.5, width - 1, height - 1), radius, radius);
}

QImage dialogBackground(int width, int height, int band) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    prepare(p);
    lightPanel(p, QRectF(0, band, width, height - band));
    titleBand(p, width, band);
    outline(p, width, height, 6);
    return image;
}

QImage edgeStrip(int width, int height, bool left) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient strip(0, 0, width, 0);
    strip.setColorAt(left ? 0 : 1, palette::slate800);
    strip.setColorAt(left ? 1 : 0, palette::slate600);
    p.fillRect(image.rect(), strip);
    QLinearGradient fade(0, 0, 0, height);
    fade.setColorAt(0, withAlpha(Qt::white, 0.06));
    fade.setColorAt(1, withAlpha(Qt::black, 0.12));
    p.fillRect(image.rect(), fade);
    return image;
}

QImage popupCard(int width, int height) {
    QImage image = transparentImage(width, height);
    QPainter p(&image);
    prepare(p);
    const QRectF card(3, 2, width - 6, height - 6);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(palette::slate950, 0.18));
    p.drawRoundedRect(card.translated(0, 2.5), 12, 12);
    QLinearGradient body(0, card.top(), 0, card.bottom());
    body.setColorAt(0, QColor("#ffffff"));
    body.setColorAt(1, QColor("#eef3f9"));
    p.setBrush(body);
    p.drawRoundedRect(card, 12, 12);
    QPainterPath bar;
    bar.addRoundedRect(card, 12, 12);
    QPainterPath left;
    left.addRect(QRectF(card.left(), card.top(), 6, card.height()));
    QLinearGradient accent(0, card.top(), 0, card.bottom());
    accent.setColorAt(0, palette::accent);
    accent.setColorAt(1, palette::violet);
    p.setBrush(accent);
    p.drawPath(bar.intersected(left));
    p.setPen(QPen(withAlpha(palette::slate400, 0.5), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card, 12, 12);
    return image;
}

// The main window: its title band over a light body; the live preview covers the lower part.
QImage homeBackground(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    prepare(p);
    lightPanel(p, QRectF(0, 30, width, height - 30));
    titleBand(p, width, 30);
    outline(p, width, height, 10);
    return image;
}

} // namespace

bool drawBackgrounds(const SkinOutput& out) {
    bool ok = true;
    ok &= savePicture(out, dialogBackground(400, 260, 26), "Aboutbg.png");
    ok &= savePicture(out, dialogBackground(300, 120, 18), "messgeBox.png");
    ok &= savePicture(out, dialogBackground(500, 350, 21), "bg_upload.png");
    ok &= savePicture(out, dialogBackground(600, 500, 30), "bg_template.png");
    ok &= savePicture(out, homeBackground(868, 661), "bg.png");
    QImage top(868, 30, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&top);
        titleBand(p, top.width(), top.height());
    }
    ok &= savePicture(out, top, "bg_top.png");
    ok &= savePicture(out, edgeStrip(10, 661, true), "bg_left.png");
    ok &= savePicture(out, edgeStrip(10, 661, false), "bg_right.png");
    ok &= savePicture(out, popupCard(360, 100), "bg_popup1.png");
    return ok;
}
