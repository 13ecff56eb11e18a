// The wall backgrounds that ship in template/: each is a full-size picture at the size of the
// player's own stage, so that a chosen template looks as sharp on a large screen as in the chooser.
// Every picture ends with a vignette and a faint grain: the edges frame the wall, and the grain
// keeps broad gradients from banding on large screens and after JPEG compression.
#include "platform/skin/grain.h"
#include "platform/skin/skin.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

#include <cstdio>

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1000;
const QRect kCanvas(0, 0, kWidth, kHeight);

void verticalGradient(QPainter& p, std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient fill(0, 0, 0, kHeight);
    for (const auto& [at, colour] : stops) {
        fill.setColorAt(at, colour);
    }
    p.fillRect(kCanvas, fill);
}

// Darkens the picture towards its corners along an ellipse of the canvas's proportions.
void vignette(QPainter& p, const QColor& colour, double strength) {
    p.save();
    p.translate(kWidth / 2.0, kHeight / 2.0);
    p.scale(double(kWidth) / kHeight, 1.0);
    const double reach = kHeight / 2.0 * M_SQRT2;
    QRadialGradient shade(QPointF(0, 0), reach);
    shade.setColorAt(0.45, withAlpha(colour, 0));
    shade.setColorAt(1, withAlpha(colour, strength));
    p.fillRect(QRectF(-reach, -reach, 2 * reach, 2 * reach), shade);
    p.restore();
}

QColor mix(const QColor& from, const QColor& to, double at) {
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * at),
                            float(from.greenF() + (to.greenF() - from.greenF()) * at),
                            float(from.blueF() + (to.blueF() - from.blueF()) * at));
}

// Fills every pixel from a shading function of its position, 0 giving `dark` and 1 `light`.
void shadePixels(QImage& image, const QColor& dark, const QColor& light,
                 const std::function<double(double x, double y)>& shading) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = mix(dark, light, qBound(0.0, shading(x, y), 1.0)).rgb();
        }
    }
}

void stars(QPainter& p, quint32 seed, int count, double maxRadius, double lowestY) {
    QRandomGenerator random(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(lowestY));
        const double radius = 0.4 + random.bounded(maxRadius);
        p.setBrush(withAlpha(Qt::white, 0.2 + random.bounded(0.6)));
        p.drawEllipse(at, radius, radius);
    }
}

// A land line across the picture, filled down to the bottom edge.
void hills(QPainter& p, double baseY, double amplitude, double frequency, const QColor& colour) {
    QPainterPath land;
    land.moveTo(0, kHeight);
    for (int x = 0; x <= kWidth; x += 16) {
        land.lineTo(x, baseY + amplitude * qSin(x * frequency) +
                           amplitude * 0.35 * qSin(x * frequency * 2.7 + 1.3));
    }
    land.lineTo(kWidth, kHeight);
    land.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(land);
}

// A jagged mountain ridge made by repeated midpoint displacement, filled to the bottom edge.
void ridge(QPainter& p, quint32 seed, double baseY, double roughness, const QColor& colour) {
    QRandomGenerator random(seed);
    QVector<double> heights{baseY, baseY};
    for (double spread = roughness; heights.size() < 257; spread *= 0.55) {
        QVector<double> finer;
        for (int i = 0; i + 1 < heights.size(); ++i) {
            finer << heights[i]
                  << (heights[i] + heights[i + 1]) / 2 + (random.generateDouble() - 0.5) * spread;
        }
        finer << heights.last();
        heights = finer;
    }
    QPainterPath land;
    land.moveTo(0, kHeight);
    for (int i = 0; i < heights.size(); ++i) {
        land.lineTo(kWidth * double(i) / (heights.size() - 1), heights[i]);
    }
    land.lineTo(kWidth, kHeight);
    land.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(land);
}

// An aurora curtain: vertical streaks rising from a wavy foot line, bright at the foot and
// fading upwards, their strength rippling along the curtain.
void curtain(QPainter& p, double footY, double amplitude, double phase, const QColor& colour,
             double height) {
    QRandomGenerator random(quint32(phase * 1000));
    for (int x = -10; x <= kWidth + 10; x += 2) {
        const double foot = footY + amplitude * qSin(x / 260.0 + phase) +
                            amplitude * 0.35 * qSin(x / 95.0 + 2 * phase) + random.bounded(5.0);
        const double ripple = 0.55 + 0.45 * qSin(x / 37.0 + 3 * phase) * qSin(x / 151.0 + phase);
        const double top = foot - height * (0.55 + 0.45 * ripple);
        QLinearGradient streak(0, foot, 0, top);
        streak.setColorAt(0, withAlpha(colour, 0.0));
        streak.setColorAt(0.2, withAlpha(colour, 0.20 * ripple));
        streak.setColorAt(1, withAlpha(colour, 0.0));
        p.setPen(QPen(QBrush(streak), 2.6));
        p.drawLine(QPointF(x, foot), QPointF(x, top));
    }
}

void midnightBlue(QPainter& p) {
    verticalGradient(p,
                     {{0, QColor("#081027")}, {0.55, QColor("#0e2050")}, {1, QColor("#040918")}});
    glow(p, QPointF(800, 470), 780, QColor("#3b6fd6"), 0.40);
    glow(p, QPointF(800, 440), 340, QColor("#9bbcff"), 0.12);
    // A faint floor line where the wall stands, with the floor falling into shadow below it.
    QLinearGradient line(0, 0, kWidth, 0);
    line.setColorAt(0, withAlpha(QColor("#8fb0ff"), 0));
    line.setColorAt(0.5, withAlpha(QColor("#8fb0ff"), 0.16));
    line.setColorAt(1, withAlpha(QColor("#8fb0ff"), 0));
    p.fillRect(QRectF(0, 700, kWidth, 2), line);
    QLinearGradient floor(0, 702, 0, kHeight);
    floor.setColorAt(0, withAlpha(Qt::black, 0.0));
    floor.setColorAt(1, withAlpha(Qt::black, 0.35));
    p.fillRect(QRectF(0, 702, kWidth, kHeight - 702), floor);
}

void warmPaper(QPainter& p) {
    verticalGradient(p, {{0, QColor("#f5ebd7")}, {1, QColor("#ead9bb")}});
    QRandomGenerator random(2);
    for (int i = 0; i < 46; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight));
        const bool light = random.bounded(2) == 0;
        glow(p, at, 150 + random.bounded(300.0), light ? QColor("#fffaf0") : QColor("#dcc59e"),
             light ? 0.30 : 0.22);
    }
    // Paper fibres: short, slightly bent strokes in every direction.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 5000; ++i) {
        const QPointF from(random.bounded(kWidth), random.bounded(kHeight));
        const double angle = random.bounded(2 * M_PI);
        const double length = 8 + random.bounded(30.0);
        const QPointF to = from + QPointF(qCos(angle), qSin(angle)) * length;
        const QPointF bend = (from + to) / 2 + QPointF(-qSin(angle), qCos(angle)) * 3;
        QPainterPath fibre(from);
        fibre.quadTo(bend, to);
        const bool dark = random.bounded(3) != 0;
        p.setPen(QPen(dark ? withAlpha(QColor("#7a5a32"), 0.05 + random.bounded(0.05))
                           : withAlpha(Qt::white, 0.35),
                      0.6 + random.bounded(0.7)));
        p.drawPath(fibre);
    }
    glow(p, QPointF(360, 160), 900, Qt::white, 0.25);
}

void northernLights(QPainter& p) {
    verticalGradient(p, {{0, QColor("#02050d")}, {0.6, QColor("#061a2b")}, {1, QColor("#0b2d3a")}});
    stars(p, 3, 420, 1.3, 700);
    glow(p, QPointF(700, 520), 700, QColor("#1fd49a"), 0.12);
    curtain(p, 520, 80, 0.4, QColor("#41ffb2"), 330);
    curtain(p, 470, 60, 2.2, QColor("#2fe3d8"), 240);
    curtain(p, 420, 50, 4.0, QColor("#9a7dff"), 200);
    ridge(p, 31, 700, 260, QColor("#07192a"));
    ridge(p, 37, 800, 200, QColor("#030b14"));
}

void sunsetHills(QPainter& p) {
    verticalGradient(p, {{0, QColor("#2b1055")},
                         {0.45, QColor("#c2306b")},
                         {0.75, QColor("#ff8c42")},
                         {1, QColor("#ffcf70")}});
    const QPointF sun(kWidth * 0.62, 690);
    glow(p, sun, 460, QColor("#fff1b8"), 0.55);
    p.setBrush(QColor("#fff4d1"));
    p.drawEllipse(sun, 105, 105);
    hills(p, 740, 55, 0.004, QColor("#7a2a5d"));
    hills(p, 815, 42, 0.0056, QColor("#4f1c4c"));
    hills(p, 895, 30, 0.007, QColor("#2c1033"));
}

void deepOcean(QPainter& p) {
    verticalGradient(p, {{0, QColor("#1a8cc2")},
                         {0.3, QColor("#0c5a8f")},
                         {0.7, QColor("#06315a")},
                         {1, QColor("#021427")}});
    glow(p, QPointF(520, -120), 900, QColor("#bfeaff"), 0.45);
    // Sun rays fanning down from the light above the surface, each soft-edged: a few nested
    // wedges of falling width.
    QRandomGenerator random(5);
    p.setPen(Qt::NoPen);
    const QPointF source(560, -700);
    for (int i = 0; i < 9; ++i) {
        const double foot = 80 + i * 175 + random.bounded(90.0);
        const double strength = 0.025 + random.bounded(0.025);
        for (double width : {70.0, 45.0, 24.0, 10.0}) {
            QPainterPath ray;
            ray.moveTo(source);
            ray.lineTo(foot + width, kHeight);
            ray.lineTo(foot - width, kHeight);
            ray.closeSubpath();
            QLinearGradient fade(0, 0, 0, kHeight * 0.85);
            fade.setColorAt(0, withAlpha(QColor("#e6f8ff"), strength));
            fade.setColorAt(1, withAlpha(QColor("#e6f8ff"), 0));
            p.setBrush(fade);
            p.drawPath(ray);
        }
    }
    // Drifting specks, brighter near the surface.
    for (int i = 0; i < 260; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight));
        const double depth = at.y() / kHeight;
        const double radius = 0.6 + random.bounded(2.0);
        p.setBrush(withAlpha(QColor("#d8f3ff"), (0.08 + random.bounded(0.3)) * (1.1 - depth)));
        p.drawEllipse(at, radius, radius);
    }
    hills(p, 930, 30, 0.004, withAlpha(QColor("#010c18"), 0.8));
}

void studioGrey(QPainter& p) {
    // A seamless backdrop: the wall curves into the floor, which catches the light again.
    verticalGradient(p, {{0, QColor("#4a4f57")},
                         {0.62, QColor("#30343a")},
                         {0.70, QColor("#2a2d33")},
                         {0.73, QColor("#34383e")},
                         {1, QColor("#111316")}});
    glow(p, QPointF(800, 380), 900, QColor("#dfe6f0"), 0.20);
    p.save();
    p.translate(800, 780);
    p.scale(4.5, 1);
    glow(p, QPointF(0, 0), 160, QColor("#e9eef5"), 0.16);
    p.restore();
}

void violetNebula(QPainter& p) {
    p.fillRect(kCanvas, QColor("#07041a"));
    QRandomGenerator random(7);
    // A band of cloud running across the picture: many soft lights of neighbouring hues.
    const QColor hues[] = {QColor("#b43cff"), QColor("#ff3c8e"), QColor("#3c7dff"),
                           QColor("#7b4dff")};
    for (int i = 0; i < 90; ++i) {
        const double along = random.bounded(double(kWidth));
        const double across = 560 - along * 0.25 + (random.generateDouble() - 0.5) * 420;
        glow(p, QPointF(along, across), 80 + random.bounded(260.0), hues[random.bounded(4)],
             0.05 + random.bounded(0.12));
    }
    for (int i = 0; i < 14; ++i) {
        const double along = random.bounded(double(kWidth));
        glow(p, QPointF(along, 560 - along * 0.25 + (random.generateDouble() - 0.5) * 160),
             60 + random.bounded(140.0), QColor("#07041a"), 0.35);
    }
    glow(p, QPointF(760, 400), 260, QColor("#ffd1f0"), 0.22);
    stars(p, 23, 520, 1.5, kHeight);
    for (int i = 0; i < 9; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight));
        glow(p, at, 14, Qt::white, 0.6);
        p.setBrush(Qt::white);
        p.drawEllipse(at, 1.6, 1.6);
    }
}

void springMeadow(QPainter& p) {
    verticalGradient(p,
                     {{0, QColor("#eef9d2")}, {0.55, QColor("#b1e6a6")}, {1, QColor("#4fb286")}});
    glow(p, QPointF(1240, 60), 700, QColor("#fffbe0"), 0.55);
    QRandomGenerator random(11);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 46; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight * 0.85));
        const double radius = 24 + random.bounded(80.0);
        p.setBrush(withAlpha(Qt::white, 0.05 + random.bounded(0.13)));
        p.drawEllipse(at, radius, radius);
    }
    hills(p, 810, 36, 0.0025, withAlpha(QColor("#2f8f6b"), 0.7));
    hills(p, 900, 26, 0.005, withAlpha(QColor("#23735a"), 0.85));
}

void blueprint(QPainter& p) {
    verticalGradient(p, {{0, QColor("#1d4f8f")}, {1, QColor("#143b6e")}});
    glow(p, QPointF(800, 450), 850, QColor("#3a78c4"), 0.35);
    const QColor ink("#dbeaff");
    for (int step : {20, 100}) {
        p.setPen(QPen(withAlpha(ink, step == 20 ? 0.06 : 0.13), 1));
        for (int x = step; x < kWidth; x += step) {
            p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, kHeight));
        }
        for (int y = step; y < kHeight; y += step) {
            p.drawLine(QPointF(0, y + 0.5), QPointF(kWidth, y + 0.5));
        }
    }
    // A faint construction drawing in the corners, away from the wall.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(withAlpha(ink, 0.22), 1.5));
    const QPointF hub(1380, 820);
    for (int radius : {90, 150, 230}) {
        p.drawEllipse(hub, radius, radius);
    }
    p.drawLine(hub - QPointF(300, 0), hub + QPointF(300, 0));
    p.drawLine(hub - QPointF(0, 300), hub + QPointF(0, 300));
    p.setPen(QPen(withAlpha(ink, 0.22), 1.5, Qt::DashLine));
    p.drawRect(QRectF(80, 80, 340, 200));
    p.drawLine(QPointF(80, 320), QPointF(420, 320));
    for (double x : {80.0, 420.0}) {
        p.drawLine(QPointF(x, 308), QPointF(x, 332));
    }
}

constexpr double kPlank = 200;

// Planks laid lengthwise, each with its own grain: growth rings bent by slow waves.
void oakGrain(QImage& image) {
    shadePixels(image, QColor("#6e4321"), QColor("#c48a52"), [](double x, double y) {
        const int row = int(y / kPlank);
        const double within = y - row * kPlank;
        const double bend = 30 * qSin(x * 0.0017 + row * 1.7) + 9 * qSin(x * 0.0073 + row * 2.9) +
                            3 * qSin(x * 0.031 + row);
        const double spacing = 14 + 6 * qSin(within * 0.021 + row * 4.1);
        const double t = (within + bend) / spacing;
        const double ring = qPow(qAbs(qSin(M_PI * t)), 4.0);
        // Fine fibres between the rings, following the same bends.
        const quint32 fibre = quint32(qFloor(t * 9.0) + row * 7919) * 2654435761u;
        const double streak = ((fibre >> 24) / 255.0 - 0.5) * 0.07;
        const double tone = 0.08 * qSin(row * 2.3);
        const double seam = within < 2.5 ? 0.45 : 0.0;
        return 0.72 - 0.22 * ring + streak + tone - seam;
    });
}

void oakDesk(QPainter& p) {
    // Butt joints staggered from plank to plank.
    p.setPen(QPen(withAlpha(QColor("#3a200c"), 0.5), 2));
    for (int row = 0; row * kPlank < kHeight; ++row) {
        const double joint = std::fmod(430 + row * 610.0, kWidth);
        p.drawLine(QPointF(joint, row * kPlank + 2), QPointF(joint, (row + 1) * kPlank));
    }
    glow(p, QPointF(800, 380), 900, QColor("#ffe2b0"), 0.22);
}

// A background: its name, what is painted over an optional ground of computed pixels, and the
// vignette and grain that finish it.
struct Background {
    const char* name;
    void (*paint)(QPainter&);
    QColor shade;
    double shadeStrength;
    int grainAmplitude;
    void (*ground)(QImage&) = nullptr;
};

QImage drawBackground(const Background& background, quint32 seed) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    if (background.ground) {
        background.ground(image);
    }
    {
        QPainter p(&image);
        prepare(p);
        background.paint(p);
        vignette(p, background.shade, background.shadeStrength);
    }
    addGrain(image, background.grainAmplitude, seed);
    return image;
}

} // namespace

bool drawTemplatePreviews(const SkinOutput& out) {
    const Background backgrounds[] = {
        {"Midnight Blue", midnightBlue, Qt::black, 0.6, 2},
        {"Warm Paper", warmPaper, QColor("#6b4a26"), 0.48, 4},
        {"Northern Lights", northernLights, Qt::black, 0.5, 2},
        {"Sunset Hills", sunsetHills, QColor("#1a0620"), 0.35, 2},
        {"Deep Ocean", deepOcean, QColor("#000814"), 0.55, 2},
        {"Studio Grey", studioGrey, Qt::black, 0.65, 3},
        {"Violet Nebula", violetNebula, Qt::black, 0.5, 2},
        {"Spring Meadow", springMeadow, QColor("#1d4d35"), 0.3, 2},
        {"Blueprint", blueprint, QColor("#061a33"), 0.5, 2},
        {"Oak Desk", oakDesk, QColor("#1e0f04"), 0.6, 3, oakGrain},
    };
    // Previews dropped or renamed since an earlier build must not linger beside the current ones.
    QDir folder(out.templateFolder);
    for (const QString& stale : folder.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
        folder.remove(stale);
    }
    bool ok = true;
    quint32 seed = 0;
    for (const Background& background : backgrounds) {
        const QString path = out.templateFolder + background.name + ".jpg";
        if (!drawBackground(background, ++seed).save(path, "JPG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    return ok;
}
