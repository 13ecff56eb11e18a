// The import's side of the converter protocol: its command line and the reading of its output.
#include "import/converter_job.h"

#include <gtest/gtest.h>

namespace {

TEST(ConverterArguments, SendOneJpegPerSlideToTheStagingFolder) {
    EXPECT_EQ(converterArguments("/home/ann/talks//deck.pptx", "/home/ann/.local/state/w/"),
              (QStringList{"-debug", "-call", "/home/ann/talks/deck.pptx",
                           "/home/ann/.local/state/w/.laq.jpg", "-words",
                           "/home/ann/.local/state/w/.laq/words.json"}));
}

TEST(ConverterOutput, TheLastBracketOfAChunkWins) {
    ConverterOutputReader reader;
    const auto reading =
        reader.read("Loading \"/d/a.pptx\" file...[20%]\r\nExport file(s)...[50%]\r\n");
    ASSERT_TRUE(reading.percent);
    EXPECT_EQ(*reading.percent, 50);
    EXPECT_FALSE(reading.imageCount);
    EXPECT_EQ(progressWidth(*reading.percent, 341), 170);
    EXPECT_EQ(progressCaption(20), "20%, processing, please wait...");
    EXPECT_EQ(progressCaption(62.5), "62.5%, processing, please wait...");
}

TEST(ConverterOutput, ReadsTheImageCountFromTheResultLine) {
    ConverterOutputReader reader;
    const auto reading = reader.read("[OK] Convert PPT file to other formats correctly...[100%]\r\n"
                                     "Conversion Finished! Result value = 12\r\n"
                                     "Time of Conversion is: 5120ms(5.12s)\r\n");
    EXPECT_EQ(reading.imageCount, 12);
    EXPECT_EQ(reading.percent, 100);

    ConverterOutputReader failed;
    EXPECT_EQ(failed.read("Conversion Finished! Result value = -2\n").imageCount, -2);
}

TEST(ConverterOutput, LinesSplitAcrossChunksAreReadWhole) {
    ConverterOutputReader reader;
    EXPECT_FALSE(reader.read("Export file(s)...[5").percent);
    EXPECT_EQ(reader.read("0%]\r\nConversion Fini").percent, 50);
    const auto reading = reader.read("shed! Result value = 7\r");
    EXPECT_FALSE(reading.imageCount);
    EXPECT_EQ(reader.read("\n").imageCount, 7);
}

TEST(ConverterOutput, AnUnterminatedLastLineIsReadWhenTheProcessEnds) {
    ConverterOutputReader reader;
    reader.read("Conversion Finished! Result value = 3");
    EXPECT_EQ(reader.finish().imageCount, 3);
}

TEST(ConverterOutput, AnUnreadableResultCountsAsNoImages) {
    ConverterOutputReader reader;
    EXPECT_EQ(reader.read("Conversion Finished! Result value = lots\n").imageCount, 0);
}

TEST(ConverterOutput, EightBitPathsDecodeAndDoNotHideTheProgress) {
    ConverterOutputReader reader;
    // "Loading" a path holding the GBK bytes of two Chinese characters.
    const auto reading = reader.read("Loading \"/d/\xd6\xd0\xce\xc4.pptx\" file...[20%]\r\n");
    EXPECT_EQ(reading.percent, 20);
}

} // namespace
