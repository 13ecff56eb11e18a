// Finding the parts of a multipart body stored in a file from the delimiters seen as it arrived:
// wherever a delimiter falls against the pieces it arrives in, with or without the leading empty
// line, and the bodies that must be refused.
#include "platform/bookservice/multipart.h"
#include "tests/bookservice/service_harness.h"

#include <gtest/gtest.h>

namespace bookservice_test {
namespace {

using bookservice::FormPart;

// The body arrives in pieces of `pieceSize` bytes.
std::vector<FormPart> partsOf(const std::string& body, std::size_t pieceSize,
                              bool* wellFormed = nullptr) {
    TemporaryFolder folder;
    writeFile(folder.file("body"), body);
    bookservice::DelimiterScanner delimiters(kBoundary);
    for (std::size_t at = 0; at < body.size(); at += pieceSize) {
        delimiters.scan(body.data() + at, std::min(pieceSize, body.size() - at));
    }
    std::vector<FormPart> parts;
    const bool found = bookservice::findParts(folder.file("body"), delimiters, parts);
    if (wellFormed) {
        *wellFormed = found;
    }
    return found ? parts : std::vector<FormPart>();
}

TEST(MultipartBody, PartsAreFoundWhereverTheDelimitersFall) {
    // Archive sizes around the piece size put each delimiter before, across and after the end of
    // a piece; pieces smaller than a delimiter split it in several.
    for (const std::size_t piece : {std::size_t(1), std::size_t(7), std::size_t(64 * 1024)}) {
        for (std::size_t size = 64 * 1024 - 300; size <= 64 * 1024 + 60; size += 23) {
            const std::string archive(size, 'z');
            const std::string body = clientUploadBody(archive, "alice", "demo");
            const auto parts = partsOf(body, piece);
            ASSERT_EQ(parts.size(), 3u) << size << " in pieces of " << piece;
            EXPECT_EQ(parts[0].name, "user_upload_file[]");
            EXPECT_EQ(parts[0].filename, "zapperstab.zip");
            EXPECT_EQ(body.substr(parts[0].offset, parts[0].length), archive) << size;
            EXPECT_EQ(body.substr(parts[2].offset, parts[2].length), "demo");
        }
    }
}

TEST(MultipartBody, BoundaryAtTheStartAndTheRefusedBodies) {
    const std::string body = clientUploadBody("PK data", "alice", "demo");
    const auto withoutLeadingLine = partsOf(body.substr(2), 3);
    ASSERT_EQ(withoutLeadingLine.size(), 3u);
    EXPECT_EQ(withoutLeadingLine[1].name, "username");

    const std::string delimiter = "--" + kBoundary;
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"no closing delimiter", body.substr(0, body.size() - 4)},
        {"no parts at all", "\r\n" + delimiter + "--\r\n"},
        {"text after a delimiter",
         "\r\n" + delimiter + "junk\r\n" + body.substr(body.find("Content"))},
        {"headers without an end", "\r\n" + delimiter + "\r\nContent-Disposition: form-data; na"},
        {"part without a name",
         "\r\n" + delimiter + "\r\nContent-Type: text/plain\r\n\r\nx\r\n" + delimiter + "--\r\n"},
        {"no boundary anywhere", std::string(5000, 'x')},
    };
    for (const auto& [label, text] : refused) {
        bool wellFormed = true;
        partsOf(text, 5, &wellFormed);
        EXPECT_FALSE(wellFormed) << label;
    }
}

TEST(MultipartBody, BoundaryFromTheContentType) {
    EXPECT_EQ(bookservice::multipartBoundary(kUploadType), kBoundary);
    EXPECT_EQ(bookservice::multipartBoundary("Multipart/Form-Data; boundary=\"a b\"; x=1"), "a b");
    EXPECT_EQ(bookservice::multipartBoundary("multipart/form-data"), "");
    EXPECT_EQ(bookservice::multipartBoundary("text/plain; boundary=x"), "");
}

} // namespace
} // namespace bookservice_test
