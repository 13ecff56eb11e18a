#include "converter/image_resizer.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <fstream>

namespace {

class ImageConversion : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeScratchFolder();
        // The resizer's temporary copies go to the private state folder: keep them in view.
        ::setenv("XDG_STATE_HOME", folder_.c_str(), 1);
    }
    void TearDown() override { removeScratchFolder(folder_); }
    std::string path(const std::string& name) const { return folder_ + "/" + name; }

    // Files the resizer left in its temporary folder.
    int leftovers() const {
        int count = 0;
        if (DIR* listing = ::opendir((folder_ + "/quorvex").c_str())) {
            while (const dirent* entry = ::readdir(listing)) {
                count += entry->d_name[0] != '.';
            }
            ::closedir(listing);
        }
        return count;
    }

    std::string folder_;
};

TEST(ImageType, ByExtensionIgnoresCase) {
    EXPECT_EQ(imageTypeByExtension("/a/Slide1.JPG"), kImageJpg);
    EXPECT_EQ(imageTypeByExtension("x.jpeg"), kImageJpg);
    EXPECT_EQ(imageTypeByExtension("x.Tiff"), kImageTif);
    EXPECT_EQ(imageTypeByExtension("x.tif"), kImageTif);
    EXPECT_EQ(imageTypeByExtension("x.emf"), kImageWmf);
    EXPECT_EQ(imageTypeByExtension("x.ppm"), kImagePnm);
    EXPECT_EQ(imageTypeByExtension("x.pbm"), kImagePbm);
    EXPECT_EQ(imageTypeByExtension("x.img"), kImageUnknown);
    EXPECT_EQ(imageTypeByExtension("/a.jpg/noextension"), kImageUnknown);
}

TEST_F(ImageConversion, TypeByContentKnowsTheExportedFormats) {
    const struct {
        const char* name;
        int type;
    } cases[] = {{"a.png", kImagePng},
                 {"a.jpg", kImageJpg},
                 {"a.tif", kImageTif},
                 {"a.gif", kImageGif},
                 {"a.bmp", kImageBmp}};
    for (const auto& c : cases) {
        writeImage(path(c.name), 16, 16, "#2d6cdf");
        EXPECT_EQ(imageTypeByContent(path(c.name)), c.type) << c.name;
    }
    std::ofstream(path("short")) << "GIF89a";
    EXPECT_EQ(imageTypeByContent(path("short")), kImageUnknown);
    std::ofstream(path("text")) << "plain text, not an image";
    EXPECT_EQ(imageTypeByContent(path("text")), kImageUnknown);
    EXPECT_EQ(imageTypeByContent(path("missing")), kImageUnknown);
}

TEST_F(ImageConversion, ResizesToTheExactSizeWithNearestPixels) {
    // Black and white halves: any interpolation would leave grey where they meet.
    const unsigned char pixels[] = {0, 0, 0, 255, 255, 255};
    Magick::Image halves(2, 1, "RGB", Magick::CharPixel, pixels);
    halves.write(path("halves.png"));

    ASSERT_EQ(ConvertImage(path("halves.png"), path("wide.png"), 8, 3), 0);
    Magick::Image wide = readImage(path("wide.png"));
    EXPECT_EQ(wide.columns(), 8u);
    EXPECT_EQ(wide.rows(), 3u);
    Magick::Blob raw;
    wide.depth(8);
    wide.magick("GRAY");
    wide.write(&raw);
    ASSERT_EQ(raw.length(), 24u);
    const auto* grey = static_cast<const unsigned char*>(raw.data());
    for (std::size_t x = 0; x < 8; ++x) {
        EXPECT_EQ(grey[8 + x], x < 4 ? 0 : 255) << x;
    }
}

TEST_F(ImageConversion, JpegIsAlwaysColour) {
    Magick::Image grey(Magick::Geometry(40, 30), Magick::Color("gray50"));
    grey.type(Magick::GrayscaleType);
    grey.write(path("grey.png"));
    ASSERT_EQ(ConvertImage(path("grey.png"), path("grey.jpg"), 80, 60), 0);
    EXPECT_EQ(jpegComponents(path("grey.jpg")), 3);
    EXPECT_EQ(readImage(path("grey.jpg")).columns(), 80u);
}

TEST_F(ImageConversion, GifIsReducedToAPaletteWithErrorDiffusion) {
    // A smooth gradient has far more than 256 colours.
    Magick::Image gradient;
    gradient.read(Magick::Geometry(256, 64), "gradient:#2d6cdf-#e0533d");
    gradient.write(path("gradient.png"));
    ASSERT_EQ(ConvertImage(path("gradient.png"), path("gradient.gif"), 0, 0), 0);
    Magick::Image gif = readImage(path("gradient.gif"));
    EXPECT_EQ(gif.classType(), Magick::PseudoClass);
    EXPECT_LE(gif.totalColors(), 256u);

    // A 16-colour image becomes two colours.
    Magick::Image few = gradient;
    few.quantizeColors(16);
    few.quantize();
    few.classType(Magick::PseudoClass);
    few.write(path("few.bmp"));
    ASSERT_EQ(ConvertImage(path("few.bmp"), path("few.gif"), 0, 0), 0);
    EXPECT_LE(readImage(path("few.gif")).totalColors(), 2u);
}

TEST_F(ImageConversion, FailuresAreReportedAndLeaveTheDestinationAlone) {
    writeImage(path("slide.jpg"), 32, 24, "#2fa36b");
    const std::string before = fileBytes(path("slide.jpg"));
    std::ofstream(path("broken.png")) << "\x89PNG\r\n\x1a\n but then nothing sensible at all";

    testing::internal::CaptureStderr();
    EXPECT_EQ(ConvertImage(path("broken.png"), path("slide.jpg"), 64, 48), 1);
    EXPECT_EQ(ConvertImage(path("slide.jpg"), path("slide.xyz"), 64, 48), 1);
    EXPECT_EQ(ConvertImage(path("nothing.img"), path("slide.jpg"), 64, 48), 1);
    const std::string errors = testing::internal::GetCapturedStderr();

    EXPECT_NE(errors.find("error loading " + path("broken.png") + "\r\n"), std::string::npos);
    EXPECT_NE(errors.find("unknown extension for " + path("slide.xyz") + "\r\n"),
              std::string::npos);
    EXPECT_NE(errors.find("unknown extension for " + path("nothing.img") + "\r\n"),
              std::string::npos);
    EXPECT_EQ(fileBytes(path("slide.jpg")), before);
}

TEST_F(ImageConversion, ResizerWorksInPlaceOnEveryRasterExport) {
    for (const char* name :
         {"Slide1.JPG", "Slide1.PNG", "Slide1.TIF", "Slide1.GIF", "Slide1.BMP"}) {
        writeImage(path(name), 96, 72, "#d9a21b");
        EXPECT_EQ(ImageResizer(path(name), 800, 600), 0) << name;
        const Magick::Image resized = readImage(path(name));
        EXPECT_EQ(resized.columns(), 800u) << name;
        EXPECT_EQ(resized.rows(), 600u) << name;
    }
    EXPECT_EQ(leftovers(), 0);
}

TEST_F(ImageConversion, ResizerLeavesTheFileWhenASizeIsZeroOrItFails) {
    writeImage(path("Slide1.JPG"), 96, 72, "#7a4fd1");
    const std::string before = fileBytes(path("Slide1.JPG"));
    EXPECT_EQ(ImageResizer(path("Slide1.JPG"), 0, 600), 0);
    EXPECT_EQ(ImageResizer(path("Slide1.JPG"), 800, 0), 0);
    EXPECT_EQ(fileBytes(path("Slide1.JPG")), before);

    std::ofstream(path("Slide2.JPG")) << "not really a JPEG, only its name";
    testing::internal::CaptureStderr();
    EXPECT_EQ(ImageResizer(path("Slide2.JPG"), 800, 600), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("unknown extension for "), std::string::npos);
    EXPECT_EQ(fileBytes(path("Slide2.JPG")), "not really a JPEG, only its name");
    EXPECT_EQ(leftovers(), 0);
}

} // namespace
