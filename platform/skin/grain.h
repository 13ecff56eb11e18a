// Film grain for the build-time pictures (the skin's backgrounds and the default wall's
// background): a soft noise that keeps large gradients from banding.
#pragma once

#include <QImage>
#include <QRandomGenerator>

// Adds the same small random offset, up to amplitude either way, to the three channels of every
// pixel. The same seed gives the same picture, so builds are reproducible.
inline void addGrain(QImage& image, int amplitude, quint32 seed) {
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int delta = static_cast<int>(random.bounded(2 * amplitude + 1)) - amplitude;
            const QRgb pixel = line[x];
            line[x] =
                qRgb(qBound(0, qRed(pixel) + delta, 255), qBound(0, qGreen(pixel) + delta, 255),
                     qBound(0, qBlue(pixel) + delta, 255));
        }
    }
}
