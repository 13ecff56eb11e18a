// The ZIP reader on archives written by python3's zipfile: well-formed ones in several shapes and
// hostile ones, each unpacked into a folder inside a scratch folder so that anything written
// outside the target shows up beside it.
#include "platform/zipread/zipread.h"
#include "tests/support/process.h"
#include "tests/zipread/test_archives.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

using namespace murano::zipread;
namespace fs = std::filesystem;

class ZipReadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(testArchivesError(), ""); }
    static std::string archive(const std::string& name) { return testArchive(name); }
    std::string target() const { return scratch_.file("out"); }
    // Everything in the scratch folder.
    std::vector<std::string> written() const { return filesBelow(scratch_.path()); }
    Status extract(const std::string& name, const Limits& limits = {}) {
        Archive zip;
        Status opened = zip.open(archive(name));
        return opened.ok() ? extractAll(zip, target(), limits) : opened;
    }

    TemporaryFolder scratch_;
};

TEST(SafeRelativePath, KeepsPlainNamesAndRefusesEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Book\\index.html", "Book/index.html"},
        {"Book/wallimages/thumbs/1.jpg", "Book/wallimages/thumbs/1.jpg"},
        {"./a//b/./c", "a/b/c"},
        {"Book\\xml\\", "Book/xml"},
        {"...a", "...a"},
        {"..", ""},
        {"a/../b", ""},
        {"..\\b", ""},
        {"/etc/passwd", ""},
        {"\\windows", ""},
        {"C:\\evil", ""},
        {"c:evil", ""},
        {"a/b:stream", ""},
        {"a/.. /b", ""},
        {"a/b.", ""},
        {"a/nul", ""},
        {"a/Com1.txt", ""},
        {"a/tab\there", ""},
        {"", ""},
        {"./", ""},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(safeRelativePath(name).value_or(""), expected) << name;
    }
}

TEST_F(ZipReadTest, ListsEntriesAndUnpacksStoredAndDeflatedWithBothSeparators) {
    Archive zip;
    ASSERT_TRUE(zip.open(archive("good.zip")).ok());
    ASSERT_EQ(zip.entries().size(), 6u);
    EXPECT_EQ(zip.entries()[0].name, "Book\\index.html");
    EXPECT_EQ(zip.entries()[0].method, 8);
    EXPECT_EQ(zip.entries()[2].method, 0);
    EXPECT_TRUE(zip.entries()[1].isDirectory());

    const Status status = extractAll(zip, target());
    ASSERT_TRUE(status.ok()) << status.message();
    const std::vector<std::string> expected = {"out",
                                               "out/Book",
                                               "out/Book/index.html",
                                               "out/Book/wallimages",
                                               "out/Book/wallimages/1.jpg",
                                               "out/Book/wallimages/thumbs",
                                               "out/Book/wallimages/thumbs/1.jpg",
                                               "out/Book/xml",
                                               "out/Book/xml/images.xml",
                                               "out/empty.txt"};
    EXPECT_EQ(written(), expected);
    std::string page;
    for (int i = 0; i < 40; ++i) {
        page += "<html><body>wall</body></html>\n";
    }
    EXPECT_EQ(readFile(target() + "/Book/index.html"), page);
    EXPECT_EQ(fs::file_size(target() + "/Book/wallimages/1.jpg"), 256u * 64u);
    EXPECT_EQ(fs::file_size(target() + "/empty.txt"), 0u);
}

TEST_F(ZipReadTest, ReadsArchivesBehindOtherBytesWhicheverWayTheirOffsetsCount) {
    for (const char* name : {"behind.bin", "behind-adjusted.bin"}) {
        Archive zip;
        Status status = zip.open(archive(name), 4096, fs::file_size(archive(name)) - 4096);
        ASSERT_TRUE(status.ok()) << name << ": " << status.message();
        std::string xml;
        status = zip.readToString(zip.entries()[4], xml, 100);
        EXPECT_TRUE(status.ok()) << name << ": " << status.message();
        EXPECT_EQ(xml, "<images/>") << name;
        EXPECT_EQ(zip.readToString(zip.entries()[0], xml, 100).failure, Failure::TooLarge);
    }
}

TEST_F(ZipReadTest, RefusesHostileArchivesWithoutWritingAnything) {
    const std::vector<std::pair<std::string, Failure>> cases = {
        {"climb.zip", Failure::UnsafeName},
        {"climb-deep.zip", Failure::UnsafeName},
        {"climb-backslash.zip", Failure::UnsafeName},
        {"absolute.zip", Failure::UnsafeName},
        {"absolute-backslash.zip", Failure::UnsafeName},
        {"drive.zip", Failure::UnsafeName},
        {"drive-relative.zip", Failure::UnsafeName},
        {"stream.zip", Failure::UnsafeName},
        {"trailing-dots.zip", Failure::UnsafeName},
        {"device.zip", Failure::UnsafeName},
        {"twice.zip", Failure::UnsafeName},
        {"file-and-folder.zip", Failure::UnsafeName},
        {"link.zip", Failure::Link},
        {"link-folder.zip", Failure::Link},
        {"encrypted.zip", Failure::Unsupported},
        {"bzip2.zip", Failure::Unsupported},
        {"truncated.zip", Failure::NotAnArchive},
        {"not-a-zip.bin", Failure::NotAnArchive},
        {"missing.zip", Failure::CannotOpen},
    };
    for (const auto& [name, failure] : cases) {
        const Status status = extract(name);
        EXPECT_EQ(status.failure, failure) << name << ": " << status.message();
        EXPECT_FALSE(status.message().empty());
        EXPECT_EQ(written(), std::vector<std::string>{}) << name;
    }
}

TEST_F(ZipReadTest, BoundsTheUnpackedSizeAndTheEntryCount) {
    EXPECT_EQ(extract("bomb.zip", Limits{16 << 20, 100}).failure, Failure::TooLarge);
    EXPECT_EQ(extract("many.zip", Limits{1 << 20, 49}).failure, Failure::TooManyEntries);
    EXPECT_EQ(written(), std::vector<std::string>{});
    EXPECT_TRUE(extract("many.zip", Limits{1 << 20, 50}).ok());
}

TEST_F(ZipReadTest, RemovesWhatItWroteWhenDataTurnsOutBad) {
    // Both archives pass the checks; their last entry fails while it is unpacked.
    for (const char* name : {"bad-crc.zip", "lying-size.zip"}) {
        const Status status = extract(name);
        EXPECT_EQ(status.failure, Failure::BadChecksum) << name << ": " << status.message();
        EXPECT_EQ(written(), std::vector<std::string>{}) << name;
    }
}

TEST_F(ZipReadTest, AFailureLeavesTheFilesThatWereThereAsTheyWere) {
    // Files of the user's under the names of entries unpacked before the failing one, and under
    // the failing entry's own name.
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"bad-crc.zip", {"Book/index.html", "Book/wallimages/1.jpg", "Book/last.txt"}},
        {"lying-size.zip", {"Book/ok.txt", "Book/big.bin"}},
    };
    for (const auto& [name, files] : cases) {
        fs::remove_all(target());
        for (const std::string& file : files) {
            fs::create_directories(fs::path(target() + "/" + file).parent_path());
            writeFile(target() + "/" + file, "the user's " + file);
        }
        const std::vector<std::string> before = written();
        EXPECT_EQ(extract(name).failure, Failure::BadChecksum) << name;
        EXPECT_EQ(written(), before) << name;
        for (const std::string& file : files) {
            EXPECT_EQ(readFile(target() + "/" + file), "the user's " + file) << name;
        }
    }
}

TEST_F(ZipReadTest, NeverFollowsALinkAlreadyInTheTargetFolder) {
    const std::string outside = scratch_.file("outside");
    fs::create_directories(outside);
    fs::create_directories(target());
    fs::create_directory_symlink(outside, target() + "/Book");
    const Status status = extract("good.zip");
    EXPECT_EQ(status.failure, Failure::Link) << status.message();
    EXPECT_TRUE(fs::is_empty(outside));
    // The folder existed before and stays; nothing the run wrote is left in it.
    EXPECT_EQ(written(), (std::vector<std::string>{"out", "out/Book", "outside"}));
}

TEST_F(ZipReadTest, ReplacesAFileOrLinkOfTheSameNameInsteadOfWritingThroughIt) {
    const std::string victim = scratch_.file("victim.txt");
    writeFile(victim, "keep me");
    fs::create_directories(target());
    fs::create_symlink(victim, target() + "/empty.txt");
    ASSERT_TRUE(extract("good.zip").ok());
    EXPECT_EQ(readFile(victim), "keep me");
    EXPECT_FALSE(fs::is_symlink(target() + "/empty.txt"));
    // Unpacking again over the first result works and gives the same files.
    ASSERT_TRUE(extract("good.zip").ok());
    EXPECT_EQ(fs::file_size(target() + "/Book/wallimages/1.jpg"), 256u * 64u);
}

TEST_F(ZipReadTest, ReportsATargetThatCannotBeCreated) {
    writeFile(target(), "a file where the folder should be");
    const Status status = extract("good.zip");
    EXPECT_EQ(status.failure, Failure::CannotWrite);
    EXPECT_NE(status.message().find("out"), std::string::npos) << status.message();
}

} // namespace
