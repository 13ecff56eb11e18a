#include "converter/driver.h"
#include "converter/slide_files.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

namespace {

TEST(SlideFileOrder, KeyIsTheNumberJustBeforeTheExtension) {
    EXPECT_EQ(slideOrderKey("/out/Slide12.JPG"), 12);
    EXPECT_EQ(slideOrderKey("Slide3.jpeg"), 3);
    EXPECT_EQ(slideOrderKey("/a/b7/Slide.JPG"), 0);  // digits of the folder do not count
    EXPECT_EQ(slideOrderKey("/out/Slide2x.PNG"), 0); // a letter before the extension
    EXPECT_EQ(slideOrderKey("/out.9/Slide"), 0);     // a dot in a folder is no extension
    EXPECT_EQ(slideOrderKey("/out/007.GIF"), 7);
}

TEST(SlideFileOrder, InsertsNumericallyAndKeepsListingOrderForEqualKeys) {
    std::vector<std::string> files;
    for (const char* name : {"Slide10.JPG", "Slide2.JPG", "notes.txt", "Slide1.JPG", "b2.JPG",
                             "Slide11.JPG", "a0.JPG"}) {
        insertInSlideOrder(files, name);
    }
    const std::vector<std::string> expected = {
        "notes.txt", "a0.JPG", "Slide1.JPG", "Slide2.JPG", "b2.JPG", "Slide10.JPG", "Slide11.JPG"};
    EXPECT_EQ(files, expected);
}

TEST(ResizeRule, OnlyRasterFormatsAtAPositiveSizeOtherThanTheDefault) {
    for (int format : {kGif, kJpg, kPng, kBmp, kTiff}) {
        EXPECT_TRUE(shouldResize(format, 800, 540)) << format;
        EXPECT_TRUE(shouldResize(format, 720, 600)) << format;
        EXPECT_FALSE(shouldResize(format, 720, 540)) << format;
        EXPECT_FALSE(shouldResize(format, 800, 0)) << format;
        EXPECT_FALSE(shouldResize(format, 0, 600)) << format;
        EXPECT_FALSE(shouldResize(format, -800, 600)) << format;
    }
    for (int format : {kRtf, kHtml, kMetafile, kMhtml, kEmf}) {
        EXPECT_FALSE(shouldResize(format, 800, 600)) << format;
    }
}

} // namespace
