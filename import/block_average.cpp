#include "import/block_average.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Rows `first` to `first + rows` of the picture added up byte by byte into `sums`, a loop the
// compiler turns into vector additions.
void addRows(const QImage& image, int first, int rows, std::vector<std::uint16_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0);
    const std::size_t bytes = sums.size();
    std::uint16_t* __restrict sum = sums.data();
    for (int y = first; y < first + rows; ++y) {
        const std::uint8_t* __restrict row = image.constScanLine(y);
        for (std::size_t i = 0; i < bytes; ++i) {
            sum[i] = std::uint16_t(sum[i] + row[i]);
        }
    }
}

// One output row from the column sums of its block of rows: each run of `factor` pixels averaged.
template <int Depth>
void averageRow(const std::vector<std::uint16_t>& sums, int sourceWidth, int factor, int rows,
                std::uint8_t* target) {
    const std::uint16_t* column = sums.data();
    for (int x = 0; x < sourceWidth; x += factor, target += Depth) {
        const int columns = std::min(factor, sourceWidth - x);
        std::uint32_t block[Depth] = {};
        for (int dx = 0; dx < columns; ++dx, column += Depth) {
            for (int c = 0; c < Depth; ++c) {
                block[c] += column[c];
            }
        }
        const std::uint32_t area = std::uint32_t(columns * rows);
        for (int c = 0; c < Depth; ++c) {
            target[c] = std::uint8_t((block[c] + area / 2) / area);
        }
    }
}

template <int Depth> QImage averagedBlocks(const QImage& image, int factor) {
    const int width = (image.width() + factor - 1) / factor;
    const int height = (image.height() + factor - 1) / factor;
    QImage out(width, height, image.format());
    std::vector<std::uint16_t> sums(std::size_t(image.width()) * Depth);
    for (int y = 0; y < height; ++y) {
        const int rows = std::min(factor, image.height() - y * factor);
        addRows(image, y * factor, rows, sums);
        averageRow<Depth>(sums, image.width(), factor, rows, out.scanLine(y));
    }
    return out;
}

} // namespace

QImage blockAveraged(const QImage& image, int factor) {
    // A column's sum of up to `factor` bytes must fit its 16 bits.
    factor = std::min(factor, 0xffff / 0xff);
    if (factor < 2) {
        return image;
    }
    switch (image.format()) {
    case QImage::Format_RGB888:
        return averagedBlocks<3>(image, factor);
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return averagedBlocks<4>(image, factor);
    default:
        return image;
    }
}
