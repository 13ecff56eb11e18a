// The office layer as the converter and the SWF library use it: one private instance, a deck
// loaded hidden, slides rendered to a pixel size, and the instance ended from anywhere.
#include "tests/converter/export/export_process.h"
#include "platform/office/murano_office.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

class OfficeLayer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The instance's profile goes into a folder of our own, where it can be looked for.
        folder_ = new std::string(makeScratchFolder());
        ::setenv("XDG_RUNTIME_DIR", folder_->c_str(), 1);
        std::string error;
        instance_ = office::Instance::start(error).release();
        ASSERT_NE(instance_, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete instance_;
        EXPECT_TRUE(processesMentioning(*folder_).empty());
        EXPECT_TRUE(folderEntries(*folder_).empty() ||
                    folderEntries(*folder_) == std::vector<std::string>{"out"});
        removeScratchFolder(*folder_);
        delete folder_;
    }
    std::string out(const std::string& name) const {
        const std::string folder = *folder_ + "/out";
        ::mkdir(folder.c_str(), 0755);
        return folder + "/" + name;
    }

    static std::string* folder_;
    static office::Instance* instance_;
};

std::string* OfficeLayer::folder_ = nullptr;
office::Instance* OfficeLayer::instance_ = nullptr;

TEST_F(OfficeLayer, ReadsSlideCountAndSizeAndRendersSlidesAtAnySize) {
    std::string error;
    auto deck = instance_->open(deckPath("wide.pptx"), error);
    ASSERT_TRUE(deck) << error;
    EXPECT_EQ(deck->slideCount(), 11);
    const office::SlideSize size = deck->slideSize();
    EXPECT_EQ(office::pixelsAt96Dpi(size.width), 1280);
    EXPECT_EQ(office::pixelsAt96Dpi(size.height), 720);

    ASSERT_TRUE(
        deck->exportSlide(2, out("third.jpg"), office::SlideFormat::Jpeg, 320, 180, false, error))
        << error;
    const Magick::Image third = readImage(out("third.jpg"));
    EXPECT_EQ(third.columns(), 320u);
    EXPECT_EQ(third.rows(), 180u);
    EXPECT_FALSE(
        deck->exportSlide(11, out("none.jpg"), office::SlideFormat::Jpeg, 320, 180, true, error));
    EXPECT_FALSE(error.empty());

    const std::vector<office::SlideOutline> outline = deck->outline(error);
    ASSERT_EQ(outline.size(), 11u);
    EXPECT_EQ(outline[10].title, "Slide 11");
}

// A one-slide deck whose master slide carries a red band across the top.
const char* const kMasterBandDeck = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation">
 <office:styles/>
 <office:automatic-styles>
  <style:page-layout style:name="PM1">
   <style:page-layout-properties fo:margin-top="0cm" fo:margin-bottom="0cm" fo:margin-left="0cm"
     fo:margin-right="0cm" fo:page-width="25.4cm" fo:page-height="19.05cm"/>
  </style:page-layout>
  <style:style style:name="red" style:family="graphic">
   <style:graphic-properties draw:fill="solid" draw:fill-color="#ff0000" draw:stroke="none"/>
  </style:style>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Default" style:page-layout-name="PM1">
   <draw:rect draw:layer="backgroundobjects" draw:style-name="red" svg:x="0cm" svg:y="0cm" svg:width="25.4cm" svg:height="4cm"/>
  </style:master-page>
 </office:master-styles>
 <office:body><office:presentation>
  <draw:page draw:name="only" draw:master-page-name="Default"/>
 </office:presentation></office:body>
</office:document>
)";

TEST_F(OfficeLayer, LeavesTheMasterSlidesArtworkOutWhenAsked) {
    std::ofstream(out("master.fodp")) << kMasterBandDeck;
    std::string error;
    auto deck = instance_->open(out("master.fodp"), error);
    ASSERT_TRUE(deck) << error;
    for (bool withMaster : {true, false, true}) {
        const std::string file = out(withMaster ? "with.png" : "without.png");
        ASSERT_TRUE(
            deck->exportSlide(0, file, office::SlideFormat::Png, 200, 150, withMaster, error))
            << error;
        const Magick::ColorRGB top = readImage(file).pixelColor(100, 10);
        EXPECT_NEAR(top.red(), 1.0, 0.05) << withMaster;
        EXPECT_NEAR(top.green(), withMaster ? 0.0 : 1.0, 0.05) << withMaster;
    }
}

TEST_F(OfficeLayer, RefusesWhatIsNotAPresentation) {
    std::string error;
    EXPECT_FALSE(instance_->open(*folder_ + "/missing.pptx", error));
    EXPECT_FALSE(error.empty());
    std::ofstream(out("notes.odt")) << "plain text";
    error.clear();
    EXPECT_FALSE(instance_->open(out("notes.odt"), error));
    EXPECT_FALSE(error.empty());
    // The instance still serves after a refusal.
    EXPECT_TRUE(instance_->open(deckPath("standard.pptx"), error)) << error;
}

TEST(OfficeRegistry, EndsTheInstancesOfThisProcessFromAnotherThread) {
    const std::string folder = makeScratchFolder();
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    std::string error;
    auto first = office::Instance::start(error);
    ASSERT_TRUE(first) << error;
    auto second = office::Instance::start(error);
    ASSERT_TRUE(second) << error;
    EXPECT_NE(first->processGroup(), second->processGroup());
    EXPECT_FALSE(processesMentioning(folder).empty());

    std::thread([] { office::endStartedInstances(); }).join();
    EXPECT_TRUE(processesMentioning(folder).empty());
    EXPECT_TRUE(folderEntries(folder).empty()); // the private profiles are gone
    EXPECT_NE(::kill(-first->processGroup(), 0), 0);

    // The instance notices when it is used again, and ending it twice is harmless.
    EXPECT_FALSE(first->open(deckPath("standard.pptx"), error));
    first->end();
    first.reset();
    second.reset();
    removeScratchFolder(folder);
}

} // namespace
