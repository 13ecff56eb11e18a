// The skin generator: every picture of murano's chrome, its animations and the template previews,
// drawn here so that the program ships no asset from anywhere else.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include <functional>

// Where the pictures go and the tool that assembles animations and icon files.
struct SkinOutput {
    QString imageFolder;     // .../bin/Image/
    QString templateFolder;  // .../bin/template/
    QString convertTool;     // ImageMagick's convert
    QString iconThemeFolder; // .../share/icons/hicolor/: the program's icon for the desktop
};

// A transparent ARGB canvas with an antialiasing painter's usual hints set on use.
QImage transparentImage(int width, int height);
void prepare(QPainter& painter);

// The colour with the given opacity (0..1).
QColor withAlpha(QColor colour, double alpha);
// A soft round light: the colour at the given opacity in the centre, fading out at radius.
void glow(QPainter& p, QPointF centre, double radius, const QColor& colour, double alpha);

// Saves a picture into the image folder; false (with a message) when it cannot be written.
bool savePicture(const SkinOutput& out, const QImage& image, const QString& name);
// Saves a picture and its hover twin (name + ".png").
bool savePair(const SkinOutput& out, const QImage& normal, const QImage& hover,
              const QString& name);

// Paints in a 64 x 64 design space mapped onto box.
void inDesignSpace(QPainter& painter, const QRectF& box, const std::function<void()>& paint);

// A glyph painted in the 64 x 64 design space with the given ink; background is the colour of
// what lies behind it (for cut-outs).
using Glyph = std::function<void(QPainter&, const QColor& ink, const QColor& background)>;

// The glyphs of the buttons and tool icons.
namespace glyphs {
void close(QPainter& p, const QColor& ink, const QColor& bg);
void maximize(QPainter& p, const QColor& ink, const QColor& bg);
void restore(QPainter& p, const QColor& ink, const QColor& bg);
void minimize(QPainter& p, const QColor& ink, const QColor& bg);
void info(QPainter& p, const QColor& ink, const QColor& bg);
void importDeck(QPainter& p, const QColor& ink, const QColor& bg);
void publish(QPainter& p, const QColor& ink, const QColor& bg);
void templates(QPainter& p, const QColor& ink, const QColor& bg);
void upload(QPainter& p, const QColor& ink, const QColor& bg);
void cancelUpload(QPainter& p, const QColor& ink, const QColor& bg);
void save(QPainter& p, const QColor& ink, const QColor& bg);
void openFolder(QPainter& p, const QColor& ink, const QColor& bg);
void book(QPainter& p, const QColor& ink, const QColor& bg);
void toggle(QPainter& p, const QColor& ink, const QColor& bg);
void check(QPainter& p, const QColor& ink, const QColor& bg);
void help(QPainter& p, const QColor& ink, const QColor& bg);
void style(QPainter& p, const QColor& ink, const QColor& bg);
void html(QPainter& p, const QColor& ink, const QColor& bg);
void zip(QPainter& p, const QColor& ink, const QColor& bg);
void exe(QPainter& p, const QColor& ink, const QColor& bg);
void browse(QPainter& p, const QColor& ink, const QColor& bg);
// A frame with an arrow leaving it: opens a file in the program it belongs to.
void openWith(QPainter& p, const QColor& ink, const QColor& bg);
void gear(QPainter& p, const QColor& ink, const QColor& bg);
void wall(QPainter& p, const QColor& ink, const QColor& bg);
} // namespace glyphs

// The families of pictures, each writing its files; false when a file could not be written.
bool drawButtons(const SkinOutput& out);
bool drawToolIcons(const SkinOutput& out);
bool drawBackgrounds(const SkinOutput& out);
bool drawBadges(const SkinOutput& out);
bool drawAnimations(const SkinOutput& out);
bool drawTemplatePreviews(const SkinOutput& out);

// A rounded tile of size x size in the given hue, with a soft gradient and a white glyph.
QImage iconTile(int size, const QColor& hue, const Glyph& glyph, bool lit = false);
