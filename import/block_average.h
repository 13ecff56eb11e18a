// A large picture shrunk by a whole factor with plain block averages, before the toolkit's smooth
// scaling does the small rest: the same area average at a fraction of the toolkit's cost per
// pixel, which matters when every page of a long PDF gets a thumbnail.
#pragma once

#include <QImage>

// Each `factor` × `factor` block of pixels averaged into one; the blocks at the right and bottom
// edges may be narrower and still count. Pictures of 24 or 32 bits a pixel (RGB888, RGB32,
// ARGB32) are shrunk, any other format and a factor below 2 come back as they are.
QImage blockAveraged(const QImage& image, int factor);
