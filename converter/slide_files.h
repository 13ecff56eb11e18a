// The exported files of a presentation: their slide order and whether they are resized.
#pragma once

#include <string>
#include <vector>

// The slide number in a file name: the run of decimal digits just before the extension
// ("Slide12.JPG" gives 12), or 0 when no digit stands there.
int slideOrderKey(const std::string& path);

// Inserts `path` before the first listed file with a greater key; equal keys keep their order.
void insertInSlideOrder(std::vector<std::string>& files, const std::string& path);

// Whether the exported files of a save format are resized to width x height: only raster formats,
// only for a positive size other than the default 720 x 540.
bool shouldResize(int format, int width, int height);
