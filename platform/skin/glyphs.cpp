#include "platform/skin/skin.h"

#include <QPainterPath>
#include <QtMath>

namespace {

QPen stroke(const QColor& ink, double width) {
    return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void lines(QPainter& p, const QColor& ink, double width, std::initializer_list<QPointF> points) {
    p.setPen(stroke(ink, width));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(std::data(points), static_cast<int>(points.size()));
}

void fill(QPainter& p, const QColor& ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
}

QPainterPath cloud() {
    QPainterPath left;
    left.addEllipse(QRectF(12, 27, 20, 19));
    QPainterPath top;
    top.addEllipse(QRectF(21, 15, 24, 24));
    QPainterPath right;
    right.addEllipse(QRectF(35, 24, 18, 18));
    QPainterPath base;
    base.addRoundedRect(QRectF(12, 33, 41, 15), 7, 7);
    return left.united(top).united(right).united(base);
}

} // namespace

namespace glyphs {

void close(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 5.5, {{21, 21}, {43, 43}});
    lines(p, ink, 5.5, {{43, 21}, {21, 43}});
}

void maximize(QPainter& p, const QColor& ink, const QColor&) {
    p.setPen(stroke(ink, 4.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(20, 20, 24, 24), 3, 3);
}

void restore(QPainter& p, const QColor& ink, const QColor&) {
    p.setPen(stroke(ink, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{26, 22}, {26, 18}, {46, 18}, {46, 38}, {42, 38}}));
    p.drawRoundedRect(QRectF(18, 26, 20, 20), 2.5, 2.5);
}

void minimize(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 5.5, {{20, 42}, {44, 42}});
}

void info(QPainter& p, const QColor& ink, const QColor&) {
    fill(p, ink);
    p.drawEllipse(QPointF(32, 19), 4, 4);
    lines(p, ink, 6, {{32, 30}, {32, 46}});
}

void importDeck(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 4.5, {{16, 36}, {16, 48}, {48, 48}, {48, 36}});
    lines(p, ink, 5, {{32, 13}, {32, 38}});
    lines(p, ink, 5, {{22, 28}, {32, 38}, {42, 28}});
}

void publish(QPainter& p, const QColor& ink, const QColor& bg) {
    fill(p, ink);
    p.drawPolygon(QPolygonF({{12, 31}, {52, 14}, {41, 50}, {31, 39}}));
    lines(p, bg, 3, {{31, 39}, {52, 14}});
    fill(p, ink.darker(115));
    p.drawPolygon(QPolygonF({{31, 39}, {30, 50}, {36, 44}}));
}

void templates(QPainter& p, const QColor& ink, const QColor&) {
    fill(p, ink);
    for (const QPointF corner : {QPointF(15, 15), QPointF(34, 15), QPointF(15, 34)}) {
        p.drawRoundedRect(QRectF(corner, QSizeF(15, 15)), 3.5, 3.5);
    }
    QColor faded = ink;
    faded.setAlphaF(0.55);
    fill(p, faded);
    p.drawRoundedRect(QRectF(34, 34, 15, 15), 3.5, 3.5);
}

void upload(QPainter& p, const QColor& ink, const QColor& bg) {
    fill(p, ink);
    p.drawPath(cloud());
    lines(p, bg, 4, {{32.5, 44}, {32.5, 28}});
    lines(p, bg, 4, {{26, 34}, {32.5, 27.5}, {39, 34}});
}

void cancelUpload(QPainter& p, const QColor& ink, const QColor& bg) {
    fill(p, ink);
    p.drawPath(cloud());
    lines(p, bg, 4, {{27, 29}, {38, 42}});
    lines(p, bg, 4, {{38, 29}, {27, 42}});
}

void save(QPainter& p, const QColor& ink, const QColor& bg) {
    QPainterPath body;
    body.moveTo(18, 14);
    body.lineTo(42, 14);
    body.lineTo(50, 22);
    body.lineTo(50, 46);
    body.quadTo(50, 50, 46, 50);
    body.lineTo(18, 50);
    body.quadTo(14, 50, 14, 46);
    body.lineTo(14, 18);
    body.quadTo(14, 14, 18, 14);
    fill(p, ink);
    p.drawPath(body);
    fill(p, bg);
    p.drawRoundedRect(QRectF(21, 14, 18, 11), 1.5, 1.5);
    p.drawRoundedRect(QRectF(20, 33, 24, 13), 2, 2);
    fill(p, ink);
    p.drawRect(QRectF(32, 16, 4, 7));
}

void openFolder(QPainter& p, const QColor& ink, const QColor&) {
    QColor back = ink;
    back.setAlphaF(0.6);
    QPainterPath rear;
    rear.moveTo(12, 20);
    rear.quadTo(12, 16, 16, 16);
    rear.lineTo(26, 16);
    rear.lineTo(30, 21);
    rear.lineTo(46, 21);
    rear.quadTo(50, 21, 50, 25);
    rear.lineTo(50, 30);
    rear.lineTo(12, 30);
    rear.closeSubpath();
    fill(p, back);
    p.drawPath(rear);
    QPainterPath front;
    front.moveTo(15, 29);
    front.lineTo(55, 29);
    front.lineTo(48, 48);
    front.lineTo(10, 48);
    front.closeSubpath();
    fill(p, ink);
    p.drawPath(front);
}

void book(QPainter& p, const QColor& ink, const QColor& bg) {
    QPainterPath left;
    left.moveTo(31, 20);
    left.cubicTo(25, 15, 17, 15, 11, 17);
    left.lineTo(11, 46);
    left.cubicTo(17, 44, 25, 44, 31, 49);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(33, 20);
    right.cubicTo(39, 15, 47, 15, 53, 17);
    right.lineTo(53, 46);
    right.cubicTo(47, 44, 39, 44, 33, 49);
    right.closeSubpath();
    fill(p, ink);
    p.drawPath(left);
    p.drawPath(right);
    QColor rule = bg;
    rule.setAlphaF(0.55);
    for (double y : {25.0, 31.0, 37.0}) {
        lines(p, rule, 2, {{16, y}, {26, y + 1.5}});
        lines(p, rule, 2, {{38, y + 1.5}, {48, y}});
    }
}

void toggle(QPainter& p, const QColor& ink, const QColor& bg) {
    p.setPen(stroke(ink, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(11, 21, 42, 22), 11, 11);
    fill(p, ink);
    p.drawEllipse(QPointF(42, 32), 7, 7);
    Q_UNUSED(bg);
}

void check(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 6.5, {{17, 33}, {28, 44}, {47, 21}});
}

void help(QPainter& p, const QColor& ink, const QColor&) {
    QPainterPath hook;
    hook.moveTo(23, 24);
    hook.cubicTo(23, 11, 42, 11, 42, 23);
    hook.cubicTo(42, 31, 32, 31, 32, 39);
    p.setPen(stroke(ink, 6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    fill(p, ink);
    p.drawEllipse(QPointF(32, 49), 4, 4);
}

void style(QPainter& p, const QColor& ink, const QColor& bg) {
    QPainterPath board;
    board.addEllipse(QRectF(11, 14, 42, 36));
    QPainterPath thumb;
    thumb.addEllipse(QRectF(35, 34, 11, 10));
    fill(p, ink);
    p.drawPath(board.subtracted(thumb));
    const QColor dots[] = {QColor("#ff5d5d"), QColor("#ffc53d"), QColor("#3dd68c"),
                           QColor("#4aa3ff")};
    const QPointF centres[] = {{21, 27}, {30, 21}, {41, 23}, {20, 38}};
    for (int i = 0; i < 4; ++i) {
        fill(p, dots[i]);
        p.drawEllipse(centres[i], 4, 4);
    }
    Q_UNUSED(bg);
}

void html(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 5, {{23, 20}, {12, 32}, {23, 44}});
    lines(p, ink, 5, {{41, 20}, {52, 32}, {41, 44}});
    lines(p, ink, 4.5, {{36, 16}, {28, 48}});
}

void zip(QPainter& p, const QColor& ink, const QColor& bg) {
    fill(p, ink);
    p.drawRoundedRect(QRectF(15, 12, 34, 40), 5, 5);
    fill(p, bg);
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(i % 2 ? 32 : 28, 12 + i * 5, 4, 5));
    }
    p.drawRoundedRect(QRectF(27, 33, 10, 12), 2, 2);
    fill(p, ink);
    p.drawRect(QRectF(30, 38, 4, 4));
}

void exe(QPainter& p, const QColor& ink, const QColor& bg) {
    fill(p, ink);
    p.drawRoundedRect(QRectF(10, 14, 44, 36), 5, 5);
    fill(p, bg);
    p.drawRoundedRect(QRectF(14, 23, 36, 23), 2, 2);
    fill(p, ink);
    p.drawPolygon(QPolygonF({{28, 28}, {28, 42}, {40, 35}}));
    for (double x : {15.5, 20.5, 25.5}) {
        fill(p, bg);
        p.drawEllipse(QPointF(x, 18.5), 1.8, 1.8);
    }
}

void browse(QPainter& p, const QColor& ink, const QColor&) {
    p.setPen(stroke(ink, 5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(14, 14, 24, 24));
    lines(p, ink, 6.5, {{35, 35}, {48, 48}});
}

void openWith(QPainter& p, const QColor& ink, const QColor&) {
    lines(p, ink, 5, {{30, 15}, {15, 15}, {15, 49}, {49, 49}, {49, 34}});
    lines(p, ink, 5.5, {{28, 36}, {48, 16}});
    lines(p, ink, 5.5, {{35, 16}, {48, 16}, {48, 29}});
}

void gear(QPainter& p, const QColor& ink, const QColor&) {
    QPainterPath shape;
    shape.addEllipse(QPointF(32, 32), 14, 14);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-4.5, -21, 9, 12), 2, 2);
        QTransform turn;
        turn.translate(32, 32);
        turn.rotate(i * 45.0);
        shape = shape.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(32, 32), 6.5, 6.5);
    fill(p, ink);
    p.drawPath(shape.subtracted(hole));
}

void wall(QPainter& p, const QColor& ink, const QColor&) {
    // A wall of tiles seen at an angle: columns shrink and lean towards the right.
    const double xs[] = {10, 24, 35, 44, 51};
    const double top[] = {14, 17, 19.5, 21.5, 23};
    for (int column = 0; column < 4; ++column) {
        const double x0 = xs[column] + 1;
        const double x1 = xs[column + 1] - 1;
        const double t0 = top[column];
        const double t1 = top[column + 1];
        const double b0 = 64 - t0;
        const double b1 = 64 - t1;
        for (int row = 0; row < 3; ++row) {
            const auto at = [&](double t, double b, int r) { return t + (b - t) * r / 3.0; };
            QPolygonF tile({{x0, at(t0, b0, row) + 1},
                            {x1, at(t1, b1, row) + 1},
                            {x1, at(t1, b1, row + 1) - 1},
                            {x0, at(t0, b0, row + 1) - 1}});
            QColor shade = ink;
            shade.setAlphaF(1.0 - column * 0.17);
            fill(p, shade);
            p.drawPolygon(tile);
        }
    }
}

} // namespace glyphs
