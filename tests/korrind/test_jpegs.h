// JPEG files for the movie tests.
#pragma once

#include "tests/support/swf_reading.h"

namespace swf_test {

// A minimal JPEG file of the given size: only the markers up to the frame header.
Bytes fakeJpeg(int width, int height);

// A real JPEG file of a colour gradient, progressive (as the office suite writes them) or not.
Bytes gradientJpeg(int width, int height, bool progressive);

} // namespace swf_test
