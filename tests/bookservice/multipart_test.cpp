// Finding the parts of a multipart body in a file: wherever a delimiter falls against the reading
// steps, with or without the leading empty line, and the bodies that must be refused.
#include "platform/bookservice/multipart.h"
#include "tests/bookservice/service_harness.h"

#include <gtest/gtest.h>

namespace bookservice_test {
namespace {

using bookservice::FormPart;

std::vector<FormPart> partsOf(const std::string& body, bool* wellFormed = nullptr) {
    TemporaryFolder folder;
    writeFile(folder.file("body"), body);
    std::vector<FormPart> parts;
    const bool found = bookservice::findParts(folder.file("body"), kBoundary, parts);
    if (wellFormed) {
        *wellFormed = found;
    }
    return found ? parts : std::vector<FormPart>();
}

TEST(MultipartBody, PartsAreFoundWhereverTheDelimitersFall) {
    // Sizes around the reading step put the first delimiter before, across and after it.
    for (std::size_t size = 256 * 1024 - 300; size <= 256 * 1024 + 60; size += 7) {
        const std::string archive(size, 'z');
        const std::string body = clientUploadBody(archive, "alice", "demo");
        const auto parts = partsOf(body);
        ASSERT_EQ(parts.size(), 3u) << size;
        EXPECT_EQ(parts[0].name, "user_upload_file[]");
        EXPECT_EQ(parts[0].filename, "zapperstab.zip");
        EXPECT_EQ(body.substr(parts[0].offset, parts[0].length), archive) << size;
        EXPECT_EQ(body.substr(parts[2].offset, parts[2].length), "demo");
    }
}

TEST(MultipartBody, BoundaryAtTheStartAndTheRefusedBodies) {
    const std::string body = clientUploadBody("PK data", "alice", "demo");
    const auto withoutLeadingLine = partsOf(body.substr(2));
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
        partsOf(text, &wellFormed);
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
