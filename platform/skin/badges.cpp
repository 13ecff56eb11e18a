#include "platform/skin/palette.h"
#include "platform/skin/skin.h"

#include <QDir>
#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QProcess>
#include <QRadialGradient>
#include <QSvgGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The program's mark: a wall of slides seen at an angle on an accent tile, painted on any device.
void paintAppIcon(QPainter& p, int size) {
    prepare(p);
    const QRectF tile(size * 0.03, size * 0.03, size * 0.94, size * 0.94);
    const double radius = size * 0.23;
    QLinearGradient fill(tile.topLeft(), tile.bottomRight());
    fill.setColorAt(0, palette::accentLight);
    fill.setColorAt(0.55, palette::accent);
    fill.setColorAt(1, palette::violet);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(tile, radius, radius);
    QPainterPath clip;
    clip.addRoundedRect(tile, radius, radius);
    QPainterPath sheen;
    sheen.addEllipse(QRectF(-size * 0.3, -size * 0.65, size * 1.6, size * 1.1));
    p.setBrush(withAlpha(Qt::white, 0.14));
    p.drawPath(clip.intersected(sheen));
    inDesignSpace(p, tile.adjusted(size * 0.08, size * 0.1, -size * 0.08, -size * 0.1),
                  [&] { glyphs::wall(p, Qt::white, palette::accent); });
}

QImage appIcon(int size) {
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    paintAppIcon(p, size);
    return image;
}

// The desktop's menus take the mark from the icon theme: one picture per usual size and a
// scalable one, under the program's icon name.
bool writeThemeIcons(const SkinOutput& out) {
    const QString name = QStringLiteral("quorvex-murano");
    bool ok = true;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = out.iconThemeFolder + QString("%1x%1/apps/").arg(size);
        ok &= QDir().mkpath(folder) && appIcon(size).save(folder + name + ".png");
    }
    const QString scalable = out.iconThemeFolder + "scalable/apps/";
    if (!ok || !QDir().mkpath(scalable)) {
        return false;
    }
    QSvgGenerator svg;
    svg.setFileName(scalable + name + ".svg");
    svg.setSize(QSize(64, 64));
    svg.setViewBox(QRect(0, 0, 64, 64));
    svg.setTitle(QStringLiteral("Quorvex Murano"));
    QPainter p;
    if (!p.begin(&svg)) {
        return false;
    }
    paintAppIcon(p, 64);
    return p.end();
}

QImage warningBadge(int size) {
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    prepare(p);
    const double s = size / 64.0;
    QPainterPath triangle;
    triangle.moveTo(32 * s, 6 * s);
    triangle.lineTo(59 * s, 54 * s);
    triangle.lineTo(5 * s, 54 * s);
    triangle.closeSubpath();
    QPainterPathStroker rounder;
    rounder.setWidth(8 * s);
    rounder.setJoinStyle(Qt::RoundJoin);
    const QPainterPath shape = triangle.united(rounder.createStroke(triangle)).simplified();

    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(palette::slate950, 0.18));
    p.drawPath(shape.translated(0, 2 * s));
    QLinearGradient fill(0, 4 * s, 0, 58 * s);
    fill.setColorAt(0, QColor("#ffc94a"));
    fill.setColorAt(1, palette::orange);
    p.setBrush(fill);
    p.drawPath(shape);
    p.setPen(QPen(Qt::white, 7 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(32 * s, 22 * s), QPointF(32 * s, 38 * s));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32 * s, 47.5 * s), 4 * s, 4 * s);
    return image;
}

QImage progressStrip(int width, int height) {
    QImage image = transparentImage(width, height);
    QPainter p(&image);
    prepare(p);
    const QRectF bar(0, 0, width, height);
    QLinearGradient fill(0, 0, width, 0);
    fill.setColorAt(0, palette::teal);
    fill.setColorAt(0.5, palette::accent);
    fill.setColorAt(1, palette::violet);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(bar, height / 2.0, height / 2.0);
    QLinearGradient gloss(0, 0, 0, height);
    gloss.setColorAt(0, withAlpha(Qt::white, 0.45));
    gloss.setColorAt(0.5, withAlpha(Qt::white, 0.05));
    gloss.setColorAt(1, withAlpha(Qt::black, 0.1));
    p.setBrush(gloss);
    p.drawRoundedRect(bar, height / 2.0, height / 2.0);
    return image;
}

// The login page's picture: a book rising to the cloud.
QImage uploadIllustration(int size) {
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    prepare(p);
    const QPointF centre(size / 2.0, size / 2.0);
    QRadialGradient halo(centre, size * 0.46);
    halo.setColorAt(0, withAlpha(palette::accentLight, 0.35));
    halo.setColorAt(0.7, withAlpha(palette::accent, 0.12));
    halo.setColorAt(1, withAlpha(palette::accent, 0.0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, size * 0.46, size * 0.46);

    // The cloud in the accent gradient with a white arrow on it.
    const QRectF box(size * 0.06, size * -0.04, size * 0.88, size * 0.88);
    QImage cloud = transparentImage(size, size);
    {
        QPainter c(&cloud);
        prepare(c);
        inDesignSpace(c, box, [&] { glyphs::upload(c, Qt::white, Qt::white); });
        QLinearGradient fill(0, box.top() + box.height() * 0.2, 0, box.bottom() * 0.8);
        fill.setColorAt(0, palette::accentLight);
        fill.setColorAt(1, palette::accentDeep);
        c.setCompositionMode(QPainter::CompositionMode_SourceIn);
        c.fillRect(cloud.rect(), fill);
    }
    p.drawImage(0, 0, cloud);
    inDesignSpace(p, box, [&] {
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(32.5, 44), QPointF(32.5, 28));
        p.drawPolyline(QPolygonF({{26, 34}, {32.5, 27.5}, {39, 34}}));
    });

    QImage bookTile = iconTile(qRound(size * 0.36), QColor("#ff7043"), glyphs::book);
    p.drawImage(QPointF(size * 0.32, size * 0.58), bookTile);
    return image;
}

bool runConvert(const SkinOutput& out, const QStringList& arguments) {
    QProcess convert;
    convert.start(out.convertTool, arguments);
    if (!convert.waitForFinished(60000) || convert.exitStatus() != QProcess::NormalExit ||
        convert.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(out.convertTool),
                     convert.readAllStandardError().constData());
        return false;
    }
    return true;
}

// The largest picture comes first: a plain image load of the file takes the first one.
bool writeIconFile(const SkinOutput& out) {
    QTemporaryDir frames;
    QStringList arguments;
    for (int size : {128, 64, 48, 32, 24, 16}) {
        const QString path = frames.path() + QString("/icon%1.png").arg(size);
        if (!appIcon(size).save(path)) {
            return false;
        }
        arguments << path;
    }
    arguments << out.imageFolder + "icon.ico";
    return runConvert(out, arguments);
}

bool writeAnimation(const SkinOutput& out, const QString& name, int delayCs,
                    const std::vector<QImage>& frames) {
    QTemporaryDir folder;
    QStringList arguments = {"-delay",    QString::number(delayCs), "-loop", "0", "-dispose",
                             "Background"};
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const QString path =
            folder.path() + QString("/frame%1.png").arg(static_cast<int>(i), 3, 10, QChar('0'));
        if (!frames[i].save(path)) {
            return false;
        }
        arguments << path;
    }
    arguments << out.imageFolder + name;
    return runConvert(out, arguments);
}

} // namespace

bool drawBadges(const SkinOutput& out) {
    bool ok = true;
    ok &= savePicture(out, appIcon(64), "icon.png");
    ok &= writeIconFile(out);
    ok &= writeThemeIcons(out);
    ok &= savePicture(out, warningBadge(102), "warning.png");
    ok &= savePicture(out, progressStrip(682, 20), "ratBar.png");
    ok &= savePicture(out, uploadIllustration(250), "up.png");
    return ok;
}

bool drawAnimations(const SkinOutput& out) {
    // GIF knows only whole transparency: faded dots are mixed with the light panel they sit on
    // instead of being made translucent, which would drop them.
    const auto towardsPanel = [](const QColor& ink, double strength) {
        const QColor panel = palette::panelBottom;
        return QColor::fromRgbF(ink.redF() * strength + panel.redF() * (1 - strength),
                                ink.greenF() * strength + panel.greenF() * (1 - strength),
                                ink.blueF() * strength + panel.blueF() * (1 - strength));
    };
    constexpr int kSpinnerDots = 12;
    std::vector<QImage> spinner;
    for (int frame = 0; frame < kSpinnerDots; ++frame) {
        QImage image = transparentImage(35, 35);
        QPainter p(&image);
        prepare(p);
        p.translate(17.5, 17.5);
        for (int dot = 0; dot < kSpinnerDots; ++dot) {
            const int age = (frame - dot + kSpinnerDots) % kSpinnerDots;
            p.save();
            p.rotate(dot * 360.0 / kSpinnerDots);
            p.setPen(Qt::NoPen);
            p.setBrush(towardsPanel(palette::accent, std::max(0.18, 1.0 - age * 0.075)));
            p.drawRoundedRect(QRectF(-2, -15, 4, 8), 2, 2);
            p.restore();
        }
        spinner.push_back(image);
    }

    constexpr int kStripeFrames = 12;
    constexpr int kStripe = 24;
    std::vector<QImage> stripes;
    for (int frame = 0; frame < kStripeFrames; ++frame) {
        QImage image = transparentImage(180, 14);
        QPainter p(&image);
        prepare(p);
        QPainterPath track;
        track.addRoundedRect(QRectF(0.5, 0.5, 179, 13), 6.5, 6.5);
        p.setClipPath(track);
        QLinearGradient fill(0, 0, 180, 0);
        fill.setColorAt(0, palette::teal);
        fill.setColorAt(1, palette::accent);
        p.fillRect(image.rect(), fill);
        p.setPen(Qt::NoPen);
        p.setBrush(withAlpha(Qt::white, 0.28));
        const double shift = frame * double(kStripe) / kStripeFrames;
        for (double x = -kStripe * 2 + shift; x < 200; x += kStripe) {
            p.drawPolygon(QPolygonF({{x, 14}, {x + 10, 0}, {x + 22, 0}, {x + 12, 14}}));
        }
        p.setClipping(false);
        p.setPen(QPen(withAlpha(palette::slate700, 0.5), 1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(track);
        stripes.push_back(image);
    }
    const bool first = writeAnimation(out, "Waitting.gif", 8, spinner);
    const bool second = writeAnimation(out, "progressSyn.gif", 5, stripes);
    return first && second;
}
