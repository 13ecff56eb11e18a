#include "platform/skin/palette.h"
#include "platform/skin/skin.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>

namespace {

// The title-bar buttons: a quiet glyph on the dark title band that lights up on a disc.
QImage titleButton(const Glyph& glyph, const QColor& lit, bool hover) {
    constexpr int kSize = 50;
    QImage image = transparentImage(kSize, kSize);
    QPainter p(&image);
    prepare(p);
    const QColor ink = hover ? QColor(Qt::white) : palette::glyphMuted;
    if (hover) {
        QLinearGradient disc(0, 0, 0, kSize);
        disc.setColorAt(0, lit.lighter(115));
        disc.setColorAt(1, lit.darker(110));
        p.setPen(Qt::NoPen);
        p.setBrush(disc);
        p.drawEllipse(QRectF(3, 3, kSize - 6, kSize - 6));
    }
    inDesignSpace(p, QRectF(0, 0, kSize, kSize), [&] { glyph(p, ink, lit); });
    return image;
}

struct TextButton {
    const char* file;
    const char* text;
    int width;
    int height;
    QColor hue;
};

// A pill with a soft vertical gradient, a bright top edge, a faint shadow and centred bold text.
QImage textButton(const TextButton& button, bool hover) {
    QImage image = transparentImage(button.width, button.height);
    QPainter p(&image);
    prepare(p);
    const QRectF body(1.5, 1, button.width - 3, button.height - 3.5);
    const double radius = body.height() * 0.28;

    QColor shadow = palette::slate950;
    shadow.setAlphaF(0.28);
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawRoundedRect(body.translated(0, 2), radius, radius);

    const QColor hue = hover ? button.hue.lighter(116) : button.hue;
    QLinearGradient fill(0, body.top(), 0, body.bottom());
    fill.setColorAt(0, hue.lighter(122));
    fill.setColorAt(0.5, hue);
    fill.setColorAt(1, hue.darker(118));
    p.setBrush(fill);
    p.drawRoundedRect(body, radius, radius);

    QColor edge = Qt::white;
    edge.setAlphaF(hover ? 0.75 : 0.35);
    p.setPen(QPen(edge, hover ? 2.2 : 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(1, 1, -1, -1), radius - 1, radius - 1);

    QFont font("DejaVu Sans");
    font.setBold(true);
    // The windows show these pictures at half their size or less: the text fills most of the
    // pill's height so that it still reads at about 12 pixels there.
    font.setPixelSize(qRound(body.height() * 0.54));
    while (QFontMetricsF(font).horizontalAdvance(button.text) > body.width() * 0.86 &&
           font.pixelSize() > 8) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    p.setFont(font);
    QColor textShadow = palette::slate950;
    textShadow.setAlphaF(0.35);
    p.setPen(textShadow);
    p.drawText(body.translated(0, 1.2), Qt::AlignCenter, button.text);
    p.setPen(Qt::white);
    p.drawText(body, Qt::AlignCenter, button.text);
    return image;
}

struct IconButton {
    const char* file;
    int size;
    QColor hue;
    Glyph glyph;
};

} // namespace

QImage iconTile(int size, const QColor& hue, const Glyph& glyph, bool lit) {
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    prepare(p);
    const QRectF tile(size * 0.04, size * 0.04, size * 0.92, size * 0.92);
    const double radius = size * 0.22;
    const QColor base = lit ? hue.lighter(114) : hue;

    QLinearGradient fill(0, tile.top(), 0, tile.bottom());
    fill.setColorAt(0, base.lighter(128));
    fill.setColorAt(1, base.darker(112));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(tile, radius, radius);

    QPainterPath gloss;
    gloss.addRoundedRect(tile, radius, radius);
    QPainterPath upper;
    upper.addEllipse(
        QRectF(tile.left() - size * 0.3, tile.top() - size * 0.62, size * 1.6, size * 1.05));
    QColor sheen = Qt::white;
    sheen.setAlphaF(lit ? 0.2 : 0.13);
    p.setBrush(sheen);
    p.drawPath(gloss.intersected(upper));

    QColor rim = Qt::white;
    rim.setAlphaF(lit ? 0.8 : 0.25);
    p.setPen(QPen(rim, std::max(1.0, size / 40.0)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    inDesignSpace(p, tile.adjusted(size * 0.1, size * 0.1, -size * 0.1, -size * 0.1),
                  [&] { glyph(p, Qt::white, base); });
    return image;
}

bool drawButtons(const SkinOutput& out) {
    bool ok = true;
    const struct {
        const char* file;
        Glyph glyph;
        QColor lit;
    } titleButtons[] = {
        {"close.png", glyphs::close, palette::danger},
        {"max.png", glyphs::maximize, palette::accent},
        {"normal.png", glyphs::restore, palette::accent},
        {"mini.png", glyphs::minimize, palette::accent},
        {"info.png", glyphs::info, palette::teal},
    };
    for (const auto& button : titleButtons) {
        ok &= savePair(out, titleButton(button.glyph, button.lit, false),
                       titleButton(button.glyph, button.lit, true), button.file);
    }

    const TextButton textButtons[] = {
        {"ok.png", "OK", 120, 50, palette::accent},
        {"OK.png", "OK", 120, 50, palette::accent},
        {"cancel.png", "Cancel", 120, 52, palette::slate600},
        {"convert.png", "Convert", 144, 60, palette::accent},
        {"Import_OK.png", "Import", 120, 50, palette::accent},
        {"default.png", "Default", 100, 50, palette::slate600},
        {"openicon.png", "Icon...", 80, 50, palette::slate600},
        {"signup.png", "Sign up", 194, 80, palette::teal},
        {"login.png", "Log in", 194, 80, palette::accent},
    };
    for (const TextButton& button : textButtons) {
        ok &= savePair(out, textButton(button, false), textButton(button, true), button.file);
    }

    const IconButton iconButtons[] = {
        {"browse.png", 60, palette::accent, glyphs::browse},
        {"open.png", 64, QColor("#f29d1f"), glyphs::openFolder},
        {"openwith.png", 64, QColor("#f29d1f"), glyphs::openWith},
        {"advanced.png", 60, palette::slate600, glyphs::gear},
        {"upload.png", 64, QColor("#0ea5e9"), glyphs::upload},
        {"cancelupload.png", 64, palette::danger, glyphs::cancelUpload},
    };
    for (const IconButton& button : iconButtons) {
        ok &= savePair(out, iconTile(button.size, button.hue, button.glyph),
                       iconTile(button.size, button.hue, button.glyph, true), button.file);
    }
    return ok;
}

bool drawToolIcons(const SkinOutput& out) {
    const struct {
        const char* file;
        QColor hue;
        Glyph glyph;
    } icons[] = {
        {"import.png", palette::accent, glyphs::importDeck},
        {"publish.png", palette::violet, glyphs::publish},
        {"template.png", palette::teal, glyphs::templates},
        {"save.png", QColor("#4f6bed"), glyphs::save},
        {"book.png", QColor("#ff7043"), glyphs::book},
        {"button.png", QColor("#a855f7"), glyphs::toggle},
        {"apply.png", QColor("#22a55e"), glyphs::check},
        {"help.png", palette::slate600, glyphs::help},
        {"style.png", QColor("#e0509a"), glyphs::style},
        {"html.png", QColor("#f0751a"), glyphs::html},
        {"zip.png", QColor("#d9a300"), glyphs::zip},
        {"exe.png", QColor("#0891b2"), glyphs::exe},
    };
    bool ok = true;
    for (const auto& icon : icons) {
        ok &= savePicture(out, iconTile(64, icon.hue, icon.glyph), icon.file);
    }
    return ok;
}
