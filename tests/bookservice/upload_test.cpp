// Book uploads over real HTTP with the desktop client's exact body: publishing and serving, every
// kind of hostile or broken upload refused without a trace, a client that disconnects halfway, and
// a restart that keeps everything.
#include "tests/bookservice/service_harness.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace bookservice_test {
namespace {

const std::string kForm = "application/x-www-form-urlencoded";

// A small wall as the client packs it: the book name, then "\" between folders; one entry with
// "/" as readers must accept both.
std::vector<ZipEntry> wallEntries(const std::string& book) {
    std::string picture(5000, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<char>(i * 7 % 251);
    }
    return {
        {book + "\\wallimages\\0.jpg", picture},
        {book + "\\wallimages\\thumbs\\0.jpg", picture.substr(0, 900)},
        {book + "\\xml\\images.xml", "<gallery>\n\t<img src=\"0.jpg\" />\n</gallery>\n"},
        {book + "/swfobject.js", "window.player = 1;\n"},
        {book + "\\index.html", "<html>\n<head>\n<meta charset=\"utf-8\">\n<title>T</title>\n"}};
}

// The body without its "bookname" part, still well formed.
std::string withoutBookName(const std::string& body) {
    return body.substr(0, body.find("--" + kBoundary +
                                    "\r\nContent-Disposition: form-data; "
                                    "name=\"bookname\"")) +
           "--" + kBoundary + "--\r\n";
}

class BookUpload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(service_.addUser("alice", "alice@example.org", "alice-password"), 0);
        ASSERT_EQ(service_.addUser("bob", "bob@example.org", "bob-password"), 0);
        alice_ = service_.session("alice", "alice-password");
    }

    httplib::Result upload(const std::string& body, const httplib::Headers& headers) {
        return service_.client().Post("/app/flipbook/fp-zip.php", headers, body,
                                      kUploadType.c_str());
    }
    // Sends the headers and half the body of an upload over a raw connection, and waits until the
    // service receives it in a scratch folder; the open connection.
    int sendHalfAnUpload() {
        const std::string body = clientUploadBody(
            makeZip(wallEntries("demo")) + std::string(1 << 20, 'p'), "alice", "demo");
        const int connection = connectFrom(service_);
        const std::string half =
            "POST /app/flipbook/fp-zip.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " +
            kUploadType + "\r\nCookie: " + alice_.begin()->second +
            "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
            body.substr(0, body.size() / 2);
        EXPECT_TRUE(sendAll(connection, half));
        bool receiving = false;
        for (int waited = 0; waited < 60000 && !receiving; waited += 50) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            receiving = folderEntries(service_.data() + "/staging").size() == 1;
        }
        EXPECT_TRUE(receiving);
        return connection;
    }

    std::string exists(const std::string& book) {
        return service_.client()
            .Post("/app/flipbook/fileexist.php", alice_, "username=alice&bookname=" + book,
                  kForm.c_str())
            ->body;
    }

    // No head deadline: a request that waits for one would never be answered.
    Service service_{{"--max-upload", "2M", "--max-book", "4M", "--head-timeout", "3600"}};
    httplib::Headers alice_; // alice is account 1
};

TEST_F(BookUpload, PublishedBookIsServedWithItsContentTypes) {
    EXPECT_EQ(exists("demo").find("has exist"), std::string::npos);
    const auto entries = wallEntries("demo");
    const auto reply = upload(clientUploadBody(makeZip(entries), "alice", "demo"), alice_);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    const std::size_t marker = reply->body.find("URL[");
    ASSERT_NE(marker, std::string::npos);
    EXPECT_GT(marker, 0u);
    EXPECT_NE(reply->body.find("/u/1/flipbook/demo/index.html"), std::string::npos);
    EXPECT_NE(exists("demo").find("has exist"), std::string::npos);

    const std::vector<std::pair<std::string, std::string>> types = {
        {"wallimages/0.jpg", "image/jpeg"},
        {"wallimages/thumbs/0.jpg", "image/jpeg"},
        {"xml/images.xml", "application/xml"},
        {"swfobject.js", "text/javascript; charset=utf-8"},
        {"index.html", "text/html; charset=utf-8"}};
    for (std::size_t i = 0; i < types.size(); ++i) {
        const auto served = service_.client().Get("/u/1/flipbook/demo/" + types[i].first);
        ASSERT_TRUE(served);
        EXPECT_EQ(served->status, 200) << types[i].first;
        EXPECT_EQ(served->get_header_value("Content-Type"), types[i].second);
        EXPECT_EQ(served->body, entries[i].content) << types[i].first;
    }
    EXPECT_EQ(service_.client().Get("/u/1/flipbook/demo/")->body, entries.back().content);
    EXPECT_EQ(service_.client().Get("/u/1/flipbook/demo")->status, 301);
    for (const char* escape : {"/u/1/flipbook/demo/%2e%2e/%2e%2e/%2e%2e/accounts.sqlite",
                               "/u/1/flipbook/demo/..%2f..%2f..%2faccounts.sqlite",
                               "/u/1/flipbook/demo/missing.jpg", "/u/2/flipbook/demo/"}) {
        EXPECT_EQ(service_.client().Get(escape)->status, 404) << escape;
    }

    // A book is never replaced.
    const auto again =
        upload(clientUploadBody(makeZip(wallEntries("demo")), "alice", "demo"), alice_);
    EXPECT_EQ(again->status, 409);
    EXPECT_EQ(again->body.find("URL["), std::string::npos);
}

TEST_F(BookUpload, RefusedUploadsLeaveNothingBehind) {
    const httplib::Headers bob = service_.session("bob", "bob-password");
    const std::string good = makeZip(wallEntries("demo"));
    auto book = [](std::vector<ZipEntry> extra) {
        auto entries = wallEntries("demo");
        entries.insert(entries.end(), extra.begin(), extra.end());
        return makeZip(entries);
    };
    struct Case {
        std::string label;
        std::string body;
        httplib::Headers headers;
        int status;
    };
    const std::vector<Case> cases = {
        {"no session", clientUploadBody(good, "alice", "demo"), {}, 401},
        {"someone else's name", clientUploadBody(good, "alice", "demo"), bob, 403},
        {"oversize", clientUploadBody(std::string(3 << 20, 'x'), "alice", "demo"), alice_, 413},
        {"malformed multipart", "no boundary anywhere in this body", alice_, 400},
        {"cut short", clientUploadBody(good, "alice", "demo").substr(0, 300), alice_, 400},
        {"missing part", withoutBookName(clientUploadBody(good, "alice", "demo")), alice_, 400},
        {"zip slip", clientUploadBody(book({{"demo\\..\\..\\evil.html", "x"}}), "alice", "demo"),
         alice_, 400},
        {"absolute name", clientUploadBody(book({{"/tmp/evil.html", "x"}}), "alice", "demo"),
         alice_, 400},
        {"link", clientUploadBody(book({{"demo\\link", "/etc/passwd", 0120777}}), "alice", "demo"),
         alice_, 400},
        {"zip bomb",
         clientUploadBody(book({{"demo\\bomb.bin", std::string(16 << 20, '\0')}}), "alice", "demo"),
         alice_, 413},
        {"bad book name", clientUploadBody(good, "alice", "de mo"), alice_, 400},
        {"escaping book name", clientUploadBody(good, "alice", ".."), alice_, 400},
        {"not a ZIP archive", clientUploadBody("plain text", "alice", "demo"), alice_, 400},
        {"truncated archive", clientUploadBody(good.substr(0, good.size() / 2), "alice", "demo"),
         alice_, 400},
        {"entries outside the book folder",
         clientUploadBody(book({{"other\\index.html", "x"}}), "alice", "demo"), alice_, 400},
        {"no index.html", clientUploadBody(makeZip({{"demo\\a.txt", "x"}}), "alice", "demo"),
         alice_, 400},
    };
    const auto before = service_.snapshot();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto reply = upload(c.body, c.headers);
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, c.status) << reply->body;
        EXPECT_EQ(reply->body.find("URL["), std::string::npos);
        EXPECT_TRUE(service_.settlesTo(before));
    }
    EXPECT_EQ(exists("demo").find("has exist"), std::string::npos);
}

TEST_F(BookUpload, ClientThatDisconnectsHalfwayLeavesNoTrace) {
    const auto before = service_.snapshot();
    const int connection = sendHalfAnUpload();
    ::close(connection);
    EXPECT_TRUE(service_.settlesTo(before));
    EXPECT_EQ(exists("demo").find("has exist"), std::string::npos);
}

TEST_F(BookUpload, ServerKilledMidUploadLeavesThePreviousState) {
    const auto before = service_.snapshot();
    const int connection = sendHalfAnUpload();
    service_.stop(SIGKILL);
    ::close(connection);
    Service restarted({}, service_.data());
    EXPECT_TRUE(restarted.settlesTo(before));
}

// The service reads an upload's body to its declared end and no further: a request sent right
// behind it on the same connection is answered too.
TEST_F(BookUpload, ARequestBehindAnUploadIsAnswered) {
    const auto entries = wallEntries("piped");
    const std::string body = clientUploadBody(makeZip(entries), "alice", "piped");
    const int connection = connectFrom(service_);
    ASSERT_TRUE(sendAll(
        connection, "POST /app/flipbook/fp-zip.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                    "Content-Type: " +
                        kUploadType + "\r\nCookie: " + alice_.begin()->second +
                        "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body +
                        "GET /u/1/flipbook/piped/swfobject.js HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                        "Connection: close\r\n\r\n"));
    const std::string answers = readUntilEnd(connection);
    ::close(connection);
    EXPECT_EQ(answers.rfind("HTTP/1.1 200 ", 0), 0u) << answers;
    EXPECT_NE(answers.find("URL["), std::string::npos);
    const std::size_t second = answers.find("HTTP/1.1 ", 1);
    ASSERT_NE(second, std::string::npos) << answers;
    EXPECT_EQ(answers.compare(second, 13, "HTTP/1.1 200 "), 0) << answers.substr(second);
    EXPECT_EQ(answers.substr(answers.size() - entries[3].content.size()), entries[3].content);
}

TEST_F(BookUpload, RestartKeepsAccountsSessionsAndBooks) {
    ASSERT_EQ(
        upload(clientUploadBody(makeZip(wallEntries("kept")), "alice", "kept"), alice_)->status,
        200);
    EXPECT_EQ(service_.stop(SIGINT), 0);
    EXPECT_NE(service_.log().find("stopped"), std::string::npos);

    Service restarted({}, service_.data());
    EXPECT_NE(restarted.login("bob", "bob-password").find("ccess"), std::string::npos);
    const auto check = restarted.client().Post("/app/flipbook/fileexist.php", alice_,
                                               "username=alice&bookname=kept", kForm.c_str());
    ASSERT_TRUE(check);
    EXPECT_NE(check->body.find("has exist"), std::string::npos);
    EXPECT_EQ(restarted.client().Get("/u/1/flipbook/kept/swfobject.js")->body,
              "window.player = 1;\n");
}

// A small memory file system as the data folder stands for a full disk; skipped where it cannot be
// mounted.
class BookUploadFullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (::mount("tmpfs", disk_.path().c_str(), "tmpfs", 0, "size=1m") != 0) {
            GTEST_SKIP() << "cannot mount a small file system here";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            ::umount2(disk_.path().c_str(), MNT_DETACH);
        }
    }
    TemporaryFolder disk_;
    bool mounted_ = false;
};

// The upload does not fit: a true answer, the only one on the connection, which then ends; the
// rest of the body is never read as further requests.
TEST_F(BookUploadFullDisk, AnswersNoRoomAndEndsTheConnection) {
    Service service({}, disk_.file("data"));
    ASSERT_EQ(service.addUser("alice", "alice@example.org", "alice-password"), 0);
    const httplib::Headers alice = service.session("alice", "alice-password");
    const auto before = service.snapshot();
    // Lines that would each read as a request of their own.
    std::string filler;
    while (filler.size() < (3u << 20)) {
        filler += "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }
    const std::string body = clientUploadBody(filler, "alice", "demo");
    const int connection = connectFrom(service);
    std::thread sender([&] {
        sendAll(connection,
                "POST /app/flipbook/fp-zip.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " +
                    kUploadType + "\r\nCookie: " + alice.begin()->second +
                    "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    const std::string answer = readUntilEnd(connection);
    ::shutdown(connection, SHUT_RDWR);
    sender.join();
    ::close(connection);
    EXPECT_EQ(answer.rfind("HTTP/1.1 507 ", 0), 0u) << answer.substr(0, 300);
    EXPECT_NE(answer.find("Connection: close"), std::string::npos);
    EXPECT_EQ(answer.find("HTTP/1.1 ", 1), std::string::npos) << "more than one answer";
    EXPECT_TRUE(service.logShows("fp-zip.php 507 "));
    EXPECT_TRUE(service.settlesTo(before));
    // The room comes back with the upload's scratch files gone.
    EXPECT_EQ(service.client().Get("/")->status, 200);
}

} // namespace
} // namespace bookservice_test
