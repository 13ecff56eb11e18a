// JPEG files written by libjpeg straight from a picture's memory. The toolkit's writer first
// copies every line into another layout and loads its image plugins on first use, a good part of
// an import's time when every page of a long PDF gets an image and a thumbnail.
#pragma once

#include <QImage>
#include <QString>

// Writes the picture to `path` as a JPEG of `quality`; false when it cannot be encoded or written.
bool writeJpeg(const QImage& picture, const QString& path, int quality);
