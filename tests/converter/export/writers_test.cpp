#include "converter/options.h"
#include "converter/outline_rtf.h"
#include "converter/pdf_settings.h"
#include "converter/web_pages.h"
#include "converter/words_json.h"
#include "platform/posix/posix_files.h"
#include "tests/converter/export/test_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sys/stat.h>

namespace {

// The words file's strings are valid UTF-8 and valid JSON whatever the deck's text holds.
TEST(WordsJson, StringsAreEscapedAndInvalidTextReplaced) {
    const struct {
        const char* name;
        std::string in, out;
    } cases[] = {
        {"quotes, backslash, breaks, tabs", "a\"b\\c\nd\te", R"("a\"b\\c\nd\te")"},
        {"control characters", std::string("x\x01\x1f\x7fy", 5), R"("x\u0001\u001f\u007fy")"},
        {"zero byte", std::string("a\0b", 3), R"("a\u0000b")"},
        {"right-to-left and emoji stay", "\u0645\u0631\u062d\xf0\x9f\x98\x80",
         "\"\u0645\u0631\u062d\xf0\x9f\x98\x80\""},
        {"unpaired surrogate as the suite writes it",
         "a\xed\xa0\x80"
         "b",
         "\"a\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
         "b\""},
        {"cut sequence at the end", "a\xe2\x82", "\"a\xef\xbf\xbd\xef\xbf\xbd\""},
        {"overlong slash", "\xc0\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\""},
        {"markup is only text", "</script><b>", R"("</script><b>")"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jsonString(c.in), c.out) << c.name;
    }
}

TEST(WordsJson, EverySlideIsNumberedAndJumpsNameTheirSlide) {
    office::DeckText deck;
    deck.title = "T";
    deck.slides.resize(2);
    deck.slides[1].links = {{0.5, 0.25, 0.1, 0.1, "", 1}, {0, 0, 1, 1, "https://e.org/", 0}};
    const std::string json = wordsJson(deck);
    EXPECT_NE(json.find(R"("number":1,)"), std::string::npos);
    EXPECT_NE(json.find(R"({"number":2,"title":"","text":"","notes":"","alt":[],"links":[)"
                        R"({"x":0.5,"y":0.25,"w":0.1,"h":0.1,"slide":1},)"
                        R"({"x":0,"y":0,"w":1,"h":1,"url":"https://e.org/"}]})"),
              std::string::npos)
        << json;
}

TEST(OutlineRtf, TitlesThenIndentedBodyParagraphsWithEscapes) {
    std::vector<office::SlideOutline> slides(2);
    slides[0].title = "Plan {a} \\ b";
    slides[0].body = {{0, "First"}, {2, "Deeper"}};
    slides[1].title = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"; // é € and an emoji
    const std::string rtf = outlineRtf(slides);

    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("\\b\\fs36 Plan \\{a\\} \\\\ b\\par}"), std::string::npos);
    EXPECT_NE(rtf.find("\\li360\\sa60\\fs24 First\\par}"), std::string::npos);
    EXPECT_NE(rtf.find("\\li1080\\sa60\\fs24 Deeper\\par}"), std::string::npos);
    EXPECT_NE(rtf.find("Caf\\u233?"), std::string::npos);
    EXPECT_NE(rtf.find("\\u8364?"), std::string::npos);
    EXPECT_NE(rtf.find("\\u-10179?\\u-8704?"), std::string::npos); // U+1F600 as a surrogate pair
    EXPECT_LT(rtf.find("Plan"), rtf.find("Caf"));
    for (unsigned char c : rtf) {
        ASSERT_LT(c, 0x80) << "RTF must stay 7-bit";
    }
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\') {
            ++i;
        } else {
            depth += rtf[i] == '{' ? 1 : rtf[i] == '}' ? -1 : 0;
            ASSERT_GE(depth, 0);
        }
    }
    EXPECT_EQ(depth, 0);
}

class PdfOptions : public ::testing::Test {
protected:
    void SetUp() override { setDefaultOptions(options_); }
    ConverterOptions options_;
};

TEST_F(PdfOptions, PlainExportHasNoPasswordsOrRestrictions) {
    std::strcpy(options_.title, "Quarterly");
    std::strcpy(options_.keywords, "sales, q3");
    const office::PdfSettings settings = pdfSettingsFrom(options_);
    EXPECT_EQ(settings.title, "Quarterly");
    EXPECT_EQ(settings.keywords, "sales, q3");
    EXPECT_TRUE(settings.openPassword.empty());
    EXPECT_TRUE(settings.permissionPassword.empty());
    EXPECT_EQ(settings.printing, 2);
    EXPECT_EQ(settings.changes, 4);
    EXPECT_TRUE(settings.copying);
    EXPECT_FALSE(settings.bookmarks);
}

TEST_F(PdfOptions, RestrictionBitsMapOntoTheExportsPermissions) {
    std::strcpy(options_.ownerpwd, "947");
    options_.encryption = 4 | 16;
    office::PdfSettings settings = pdfSettingsFrom(options_);
    EXPECT_EQ(settings.permissionPassword, "947");
    EXPECT_EQ(settings.printing, 0);
    EXPECT_FALSE(settings.copying);
    EXPECT_EQ(settings.changes, 4);

    options_.encryption = 3900; // deny anything
    settings = pdfSettingsFrom(options_);
    EXPECT_EQ(settings.printing, 0);
    EXPECT_EQ(settings.changes, 0);
    EXPECT_FALSE(settings.copying);
    EXPECT_FALSE(settings.accessibility);

    options_.encryption = 2048;
    EXPECT_EQ(pdfSettingsFrom(options_).printing, 1);

    EXPECT_EQ(permittedChanges(0), 4);
    EXPECT_EQ(permittedChanges(8), 0);
    EXPECT_EQ(permittedChanges(1024), 3);
    EXPECT_EQ(permittedChanges(32), 2);
    EXPECT_EQ(permittedChanges(32 | 256), 1);
    EXPECT_EQ(permittedChanges(32 | 256 | 1024), 0);
}

TEST_F(PdfOptions, RestrictionsWithoutOwnerPasswordGetAnUnguessableOne) {
    options_.encryption = 4;
    const std::string first = pdfSettingsFrom(options_).permissionPassword;
    const std::string second = pdfSettingsFrom(options_).permissionPassword;
    EXPECT_GE(first.size(), 16u);
    EXPECT_NE(first, second);
}

// Decodes base64 text, ignoring line breaks.
std::string base64Decoded(const std::string& text) {
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned value = 0;
    int bits = 0;
    for (char c : text) {
        const std::size_t digit = alphabet.find(c);
        if (digit == std::string::npos) {
            continue;
        }
        value = (value << 6) | static_cast<unsigned>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}

class WebPages : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = makeScratchFolder();
        staging_ = folder_ + "/staging";
        ::mkdir(staging_.c_str(), 0700);
        write("deck.html", "<a href=\"img1.html\">next</a><img src=\"img0.jpg\">");
        write("img1.html", "<a href=\"deck.html\">first</a><img src=\"img1.jpg\">");
        write("img0.jpg", std::string("\xFF\xD8\x00\x01jpeg\r\n", 10));
        write("img1.jpg", std::string("\xFF\xD8\xFF\xFEmore", 8));
    }
    void TearDown() override { removeScratchFolder(folder_); }
    void write(const std::string& name, const std::string& content) {
        std::ofstream(staging_ + "/" + name, std::ios::binary) << content;
    }
    std::string folder_, staging_;
};

TEST_F(WebPages, HtmlPageGoesToTheOutputWithItsFilesInAFolderBeside) {
    const std::string output = folder_ + "/My deck.html";
    ASSERT_TRUE(placeHtmlExport(staging_, "deck.html", output));
    EXPECT_EQ(fileBytes(output), "<a href=\"My%20deck_files/img1.html\">next</a>"
                                 "<img src=\"My%20deck_files/img0.jpg\">");
    for (const char* name : {"deck.html", "img1.html", "img0.jpg", "img1.jpg"}) {
        EXPECT_EQ(fileBytes(folder_ + "/My deck_files/" + name), fileBytes(staging_ + "/" + name))
            << name;
    }
}

TEST_F(WebPages, MhtmlIsAPageOfAllSlideImagesWithTheImagesAsParts) {
    write("img10.jpg", "tenth");
    const std::string output = folder_ + "/Q&A <deck>.mht";
    ASSERT_TRUE(writeMhtml(staging_, "deck.html", output));
    const std::string mime = fileBytes(output);
    const std::size_t start = mime.find("boundary=\"") + 10;
    const std::string boundary = mime.substr(start, mime.find('"', start) - start);
    ASSERT_FALSE(boundary.empty());
    EXPECT_NE(mime.find("Content-Type: multipart/related;"), std::string::npos);
    EXPECT_NE(mime.find("--" + boundary + "--\r\n"), std::string::npos);

    std::map<std::string, std::string> parts;
    std::vector<std::string> order;
    const std::string location = "Content-Location: http://slides.invalid/";
    for (std::size_t at = mime.find("--" + boundary + "\r\n"); at != std::string::npos;) {
        const std::size_t headersEnd = mime.find("\r\n\r\n", at);
        const std::size_t next = mime.find("--" + boundary, headersEnd);
        const std::string headers = mime.substr(at, headersEnd - at);
        const std::size_t name = headers.find(location) + location.size();
        ASSERT_NE(headers.find(location), std::string::npos) << headers;
        order.push_back(headers.substr(name, headers.find("\r\n", name) - name));
        parts[order.back()] = base64Decoded(mime.substr(headersEnd, next - headersEnd));
        at = mime.compare(next, boundary.size() + 4, "--" + boundary + "--") == 0
                 ? std::string::npos
                 : next;
    }
    EXPECT_EQ(order, (std::vector<std::string>{"deck.html", "img0.jpg", "img1.jpg", "img10.jpg"}));
    const std::string& page = parts["deck.html"];
    EXPECT_NE(page.find("<title>Q&amp;A &lt;deck&gt;</title>"), std::string::npos) << page;
    EXPECT_LT(page.find("src=\"img0.jpg\" alt=\"Slide 1\""), page.find("src=\"img1.jpg\""));
    EXPECT_LT(page.find("src=\"img1.jpg\""), page.find("src=\"img10.jpg\" alt=\"Slide 3\""));
    for (const char* name : {"img0.jpg", "img1.jpg", "img10.jpg"}) {
        EXPECT_EQ(parts[name], fileBytes(staging_ + "/" + name)) << name;
    }
}

TEST(WebPageNames, UrlEncodingKeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(posix::percentEncoded("a b_c-d.e~f"), "a%20b_c-d.e~f");
    EXPECT_EQ(posix::percentEncoded("x/y?#%"), "x%2Fy%3F%23%25");
    EXPECT_EQ(posix::percentEncoded("\xC3\xA9"), "%C3%A9");
}

} // namespace
