#include "platform/skin/skin.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

#include <cstdio>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

QColor withAlpha(QColor colour, double alpha) {
    colour.setAlphaF(alpha);
    return colour;
}

void verticalGradient(QPainter& p, std::initializer_list<std::pair<double, QColor>> stops) {
    QLinearGradient fill(0, 0, 0, kHeight);
    for (const auto& [at, colour] : stops) {
        fill.setColorAt(at, colour);
    }
    p.fillRect(QRect(0, 0, kWidth, kHeight), fill);
}

void glow(QPainter& p, QPointF centre, double radius, const QColor& colour, double alpha) {
    QRadialGradient light(centre, radius);
    light.setColorAt(0, withAlpha(colour, alpha));
    light.setColorAt(1, withAlpha(colour, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(centre, radius, radius);
}

void stars(QPainter& p, quint32 seed, int count, double maxRadius) {
    QRandomGenerator random(seed);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight));
        const double radius = 0.4 + random.bounded(maxRadius);
        p.setBrush(withAlpha(Qt::white, 0.25 + random.bounded(0.6)));
        p.drawEllipse(at, radius, radius);
    }
}

// A soft ribbon: many faint strokes along a wave, wide to narrow, which reads as a blurred band.
void ribbon(QPainter& p, double baseY, double amplitude, double phase, const QColor& colour) {
    for (int layer = 0; layer < 14; ++layer) {
        QPainterPath wave;
        for (int x = -40; x <= kWidth + 40; x += 20) {
            const double y = baseY + amplitude * qSin(x / 210.0 + phase) +
                             amplitude * 0.4 * qSin(x / 97.0 + phase * 2);
            if (x == -40) {
                wave.moveTo(x, y);
            } else {
                wave.lineTo(x, y);
            }
        }
        p.setPen(QPen(withAlpha(colour, 0.035), 120 - layer * 8, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
    }
}

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

void aurora(QPainter& p) {
    verticalGradient(p, {{0, QColor("#040b16")}, {0.6, QColor("#0a2233")}, {1, QColor("#0d3340")}});
    stars(p, 7, 260, 1.4);
    ribbon(p, 280, 70, 0.3, QColor("#3dffb0"));
    ribbon(p, 360, 55, 1.7, QColor("#2ee6d6"));
    ribbon(p, 230, 40, 3.1, QColor("#8a7dff"));
    hills(p, 700, 25, 0.004, QColor("#06121c"));
}

void sunset(QPainter& p) {
    verticalGradient(p, {{0, QColor("#2b1055")},
                         {0.45, QColor("#c2306b")},
                         {0.75, QColor("#ff8c42")},
                         {1, QColor("#ffcf70")}});
    glow(p, QPointF(kWidth * 0.62, 560), 360, QColor("#fff1b8"), 0.55);
    p.setBrush(QColor("#fff4d1"));
    p.drawEllipse(QPointF(kWidth * 0.62, 560), 85, 85);
    hills(p, 600, 45, 0.005, QColor("#7a2a5d"));
    hills(p, 660, 35, 0.007, QColor("#4f1c4c"));
    hills(p, 725, 25, 0.009, QColor("#2c1033"));
}

void ocean(QPainter& p) {
    verticalGradient(p,
                     {{0, QColor("#8fd3ff")}, {0.35, QColor("#1f7fd1")}, {1, QColor("#031a3a")}});
    glow(p, QPointF(kWidth * 0.3, 60), 520, Qt::white, 0.35);
    for (int wave = 0; wave < 6; ++wave) {
        QPainterPath crest;
        const double base = 330 + wave * 85;
        crest.moveTo(0, kHeight);
        for (int x = 0; x <= kWidth; x += 16) {
            crest.lineTo(x, base + 18 * qSin(x / (120.0 + wave * 25) + wave * 1.9));
        }
        crest.lineTo(kWidth, kHeight);
        crest.closeSubpath();
        p.setPen(QPen(withAlpha(Qt::white, 0.18), 2));
        p.setBrush(withAlpha(QColor("#021a3d"), 0.22));
        p.drawPath(crest);
    }
}

void graphite(QPainter& p) {
    verticalGradient(p, {{0, QColor("#2a3038")}, {1, QColor("#15181d")}});
    glow(p, QPointF(kWidth / 2.0, kHeight * 0.42), 700, QColor("#9fb3c8"), 0.22);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::white, 0.07));
    for (int y = 12; y < kHeight; y += 24) {
        for (int x = 12; x < kWidth; x += 24) {
            p.drawEllipse(QPointF(x, y), 1.3, 1.3);
        }
    }
    QLinearGradient shine(0, 0, kWidth, kHeight);
    shine.setColorAt(0.3, withAlpha(Qt::white, 0));
    shine.setColorAt(0.5, withAlpha(Qt::white, 0.04));
    shine.setColorAt(0.7, withAlpha(Qt::white, 0));
    p.fillRect(QRect(0, 0, kWidth, kHeight), shine);
}

void meadow(QPainter& p) {
    verticalGradient(p,
                     {{0, QColor("#e8f8c8")}, {0.55, QColor("#a6e3a1")}, {1, QColor("#4fb286")}});
    QRandomGenerator random(11);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 38; ++i) {
        const QPointF at(random.bounded(kWidth), random.bounded(kHeight));
        const double radius = 20 + random.bounded(70.0);
        p.setBrush(withAlpha(Qt::white, 0.06 + random.bounded(0.14)));
        p.drawEllipse(at, radius, radius);
    }
    hills(p, 650, 30, 0.003, withAlpha(QColor("#2f8f6b"), 0.7));
    hills(p, 720, 20, 0.006, withAlpha(QColor("#23735a"), 0.85));
}

void nebula(QPainter& p) {
    p.fillRect(QRect(0, 0, kWidth, kHeight), QColor("#07041a"));
    glow(p, QPointF(430, 360), 480, QColor("#b43cff"), 0.5);
    glow(p, QPointF(820, 420), 420, QColor("#ff3c8e"), 0.38);
    glow(p, QPointF(700, 250), 360, QColor("#3c7dff"), 0.42);
    glow(p, QPointF(560, 430), 200, QColor("#ffd1f0"), 0.25);
    stars(p, 23, 420, 1.6);
}

} // namespace

bool drawTemplatePreviews(const SkinOutput& out) {
    const struct {
        const char* name;
        void (*paint)(QPainter&);
    } previews[] = {{"Aurora", aurora},     {"Sunset", sunset}, {"Ocean", ocean},
                    {"Graphite", graphite}, {"Meadow", meadow}, {"Nebula", nebula}};
    QDir().mkpath(out.templateFolder);
    bool ok = true;
    for (const auto& preview : previews) {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        {
            QPainter p(&image);
            prepare(p);
            preview.paint(p);
        }
        const QString path = out.templateFolder + preview.name + ".jpg";
        if (!image.save(path, "JPG", 90)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    return ok;
}
