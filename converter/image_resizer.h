// Resizing exported slide images in place, and the image conversion behind it.
#pragma once

#include <string>

// Image types, numbered as the converter has always numbered them.
enum ImageType : int {
    kImageUnknown = 0,
    kImageBmp = 1,
    kImageGif = 2,
    kImageJpg = 3,
    kImagePng = 4,
    kImageIco = 5,
    kImageTif = 6,
    kImageTga = 7,
    kImagePcx = 8,
    kImageWbmp = 9,
    kImageWmf = 10,
    kImageJp2 = 11,
    kImageJpc = 12,
    kImagePgx = 13,
    kImagePnm = 14,
    kImageRas = 15,
    kImagePbm = 16,
};

// The type named by a path's extension (compared in lower case), or kImageUnknown.
int imageTypeByExtension(const std::string& path);

// The type told by a file's first bytes (TIFF, PNG, JPEG, GIF, BMP), or kImageUnknown; a file
// shorter than 10 bytes is unknown.
int imageTypeByContent(const std::string& path);

// Resizes `file` in place to exactly width x height through a temporary copy. Nothing happens
// when either is 0. Returns 0 on success, 1 on failure (reported on standard error; the file is
// left as it was).
int ImageResizer(const std::string& file, int width, int height);

// Loads `source` (type by extension, else by content), resamples it to width x height with the
// nearest pixel when both are positive, and saves it as `destination` (type by extension): JPEG
// always in 24-bit colour, GIF reduced to 8 bits (1 bit from 4-bit images) with error diffusion.
// The destination is replaced only by a complete file. Returns 0 on success, 1 on failure.
int ConvertImage(const std::string& source, const std::string& destination, int width, int height);
