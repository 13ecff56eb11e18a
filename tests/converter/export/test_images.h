// Image helpers of the export tests, on the same image library the converter uses.
#pragma once

#include <Magick++.h>

#include <string>

// Writes a width x height image in one colour (e.g. "#2d6cdf") in the format of the extension.
void writeImage(const std::string& path, int width, int height, const std::string& colour);

// Reads an image back; throws on failure.
Magick::Image readImage(const std::string& path);

// The number of colour components recorded in a JPEG file's frame header (1 grey, 3 colour),
// or 0 when the file has none.
int jpegComponents(const std::string& path);

// The whole file.
std::string fileBytes(const std::string& path);

// A new empty folder under the system's temporary folder.
std::string makeScratchFolder();

// Removes a scratch folder and everything in it.
void removeScratchFolder(const std::string& folder);
