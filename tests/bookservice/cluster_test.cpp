// The book service as a cluster: two nodes behind haproxy sharing PostgreSQL and a Swift object
// store, each case on a cluster of its own. Sessions and books cross nodes, a killed node or a
// stopped database or store never makes anything look done that is not, two nodes racing for
// one book name publish one whole book, owners manage their books on both storage kinds, and a
// data folder moves into the cluster (twice, safely).
#include "platform/bookservice/cluster_config.h"
#include "platform/bookservice/s3_client.h"
#include "tests/bookservice/cluster_harness.h"
#include "tests/bookservice/service_harness.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bookservice_test {
namespace {

const std::string kForm = "application/x-www-form-urlencoded";
const char* const kUpload = "/app/flipbook/fp-zip.php";
const char* const kReplace = "/app/flipbook/replace.php";

std::string picture(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 131 + seed * 7 + i / 977) % 251);
    }
    return bytes;
}

// A book as the desktop client packs it, with `page` as its index.html and `extra` besides.
std::string bookBody(const std::string& user, const std::string& book, const std::string& page,
                     std::vector<ZipEntry> extra = {}) {
    extra.push_back({book + "\\index.html", page});
    return clientUploadBody(makeZip(extra), user, book);
}

httplib::Headers cookieHeader(const std::string& cookie) {
    return {{"Cookie", cookie}};
}

int status(const httplib::Result& result) {
    return result ? result->status : -1;
}

std::string body(const httplib::Result& result) {
    return result ? result->body : std::string();
}

std::string sessionThrough(httplib::Client client, const std::string& name,
                           const std::string& password) {
    std::string cookie;
    EXPECT_NE(loginThrough(client, name, password, &cookie).find("Login Success"),
              std::string::npos);
    return cookie;
}

// Where an owner's requests go: each call may hand out another node.
using Clients = std::function<httplib::Client()>;

// List, delete and replace by the owner; every attempt by another account refused and harmless.
void checkOwnersBooks(const Clients& next, const std::string& alice, const std::string& bob) {
    ASSERT_EQ(status(next().Post(
                  kUpload, cookieHeader(alice),
                  bookBody("alice", "shelf1", "first", {{"shelf1\\old.txt", "only in the first"}}),
                  kUploadType.c_str())),
              200);
    ASSERT_EQ(status(next().Post(kUpload, cookieHeader(alice), bookBody("alice", "shelf2", "two"),
                                 kUploadType.c_str())),
              200);
    const auto listed = next().Get("/app/flipbook/books.php", cookieHeader(alice));
    ASSERT_EQ(status(listed), 200);
    EXPECT_EQ(listed->get_header_value("Content-Type"), "application/json");
    const std::string entry = R"({"name":"shelf1","address":")";
    const std::size_t at = listed->body.find(entry);
    ASSERT_NE(at, std::string::npos) << listed->body;
    const std::string address = listed->body.substr(
        at + entry.size(), listed->body.find('"', at + entry.size()) - at - entry.size());
    EXPECT_NE(listed->body.find(address + R"(","size":)"), std::string::npos);
    EXPECT_NE(listed->body.find(R"("name":"shelf2")"), std::string::npos);
    EXPECT_NE(listed->body.find(R"("published":"20)"), std::string::npos);
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u) << address;
    const std::string shelf1 = address.substr(address.find("/u/"));
    EXPECT_EQ(body(next().Get(shelf1)), "first");

    // Others: no session, another account's session.
    EXPECT_EQ(status(next().Get("/app/flipbook/books.php")), 401);
    EXPECT_EQ(body(next().Get("/app/flipbook/books.php", cookieHeader(bob))), R"({"books":[]})");
    EXPECT_EQ(status(next().Post("/app/flipbook/delete.php", cookieHeader(bob), "bookname=shelf1",
                                 kForm.c_str())),
              404);
    EXPECT_EQ(status(next().Post("/app/flipbook/delete.php", "bookname=shelf1", kForm.c_str())),
              401);
    EXPECT_EQ(status(next().Post(kReplace, cookieHeader(bob), bookBody("alice", "shelf1", "bob's"),
                                 kUploadType.c_str())),
              403);
    EXPECT_EQ(status(next().Post(kReplace, cookieHeader(bob), bookBody("bob", "shelf1", "bob's"),
                                 kUploadType.c_str())),
              404);
    EXPECT_EQ(body(next().Get(shelf1)), "first");

    // Replacing: all files at once; a broken replacement changes nothing.
    const auto replaced = next().Post(kReplace, cookieHeader(alice),
                                      bookBody("alice", "shelf1", "second"), kUploadType.c_str());
    EXPECT_EQ(status(replaced), 200);
    EXPECT_NE(body(replaced).find("URL[http://"), std::string::npos);
    EXPECT_EQ(body(next().Get(shelf1)), "second");
    const std::string oldFile = shelf1.substr(0, shelf1.rfind('/')) + "/old.txt";
    EXPECT_EQ(status(next().Get(oldFile)), 404);
    const std::string noIndex =
        clientUploadBody(makeZip({{"shelf1\\a.txt", "a"}}), "alice", "shelf1");
    EXPECT_EQ(status(next().Post(kReplace, cookieHeader(alice), noIndex, kUploadType.c_str())),
              400);
    EXPECT_EQ(body(next().Get(shelf1)), "second");
    EXPECT_EQ(status(next().Post(kReplace, cookieHeader(alice), bookBody("alice", "nosuch", "x"),
                                 kUploadType.c_str())),
              404);

    // Deleting.
    EXPECT_EQ(status(next().Post("/app/flipbook/delete.php", cookieHeader(alice), "bookname=shelf2",
                                 kForm.c_str())),
              200);
    EXPECT_EQ(status(next().Get(shelf1.substr(0, shelf1.find("shelf1")) + "shelf2/index.html")),
              404);
    EXPECT_EQ(body(next().Post("/app/flipbook/fileexist.php", cookieHeader(alice),
                               "username=alice&bookname=shelf2", kForm.c_str())),
              "The book name is free.");
    const std::string after = body(next().Get("/app/flipbook/books.php", cookieHeader(alice)));
    EXPECT_EQ(after.find("shelf2"), std::string::npos);
    EXPECT_NE(after.find("shelf1"), std::string::npos);

    // After logging out, the owner's session reaches nothing.
    const auto out = next().Post("/app/logout.php", cookieHeader(alice), "", kForm.c_str());
    EXPECT_EQ(body(out), "Logged out.");
    EXPECT_NE(out->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
    EXPECT_EQ(status(next().Get("/app/flipbook/books.php", cookieHeader(alice))), 401);
    EXPECT_EQ(body(next().Get(shelf1)), "second");
}

TEST(OwnersBooks, OnTheDataFolder) {
    Service service;
    ASSERT_EQ(service.addUser("alice", "alice@example.org", "alice-password"), 0);
    ASSERT_EQ(service.addUser("bob", "bob@example.org", "bob-password"), 0);
    checkOwnersBooks([&] { return service.client(); },
                     service.session("alice", "alice-password").begin()->second,
                     service.session("bob", "bob-password").begin()->second);
}

TEST(ClusterConfig, RefusesAFileOthersMayReadAndNeverShowsItsSecrets) {
    TemporaryFolder scratch;
    const std::string config = scratch.file("bookservice.conf");
    writeFile(config, "database = host=/nowhere password=hunter2-db\nstore_endpoint = "
                      "http://127.0.0.1:1\nstore_bucket = b\nstore_access_key = k\n"
                      "store_secret_key = hunter2-store\n");
    const std::string program = std::string(MURANO_BIN_DIR) + "/bookservice --config " + config;
    std::string output;
    ::chmod(config.c_str(), 0644);
    EXPECT_EQ(runCommand(program + " --staging " + scratch.file("s"), &output), 1);
    EXPECT_NE(output.find("chmod 600"), std::string::npos) << output;
    ::chmod(config.c_str(), 0600);
    // Now readable, and the database is nowhere: the failure names neither secret.
    EXPECT_EQ(runCommand(program + " migrate-schema", &output), 1);
    EXPECT_NE(output.find("database"), std::string::npos) << output;
    EXPECT_EQ(output.find("hunter2"), std::string::npos) << output;
    writeFile(config, "database = x\nstore_bucket\n");
    EXPECT_EQ(runCommand(program + " gc", &output), 1);
    EXPECT_NE(output.find(":2: not a known"), std::string::npos) << output;
}

class ClusterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(cluster_.started()) << cluster_.startLog();
        ASSERT_EQ(cluster_.addUser("alice", "alice@example.org", "alice-password"), 0);
        alice_ = sessionThrough(cluster_.client("node1"), "alice", "alice-password");
    }

    httplib::Result upload(const std::string& part, const std::string& book,
                           const std::string& page, std::vector<ZipEntry> extra = {}) {
        return cluster_.client(part).Post(kUpload, cookieHeader(alice_),
                                          bookBody("alice", book, page, std::move(extra)),
                                          kUploadType.c_str());
    }

    std::string exists(const std::string& part, const std::string& book) {
        return body(cluster_.client(part).Post("/app/flipbook/fileexist.php", cookieHeader(alice_),
                                               "username=alice&bookname=" + book, kForm.c_str()));
    }

    std::vector<std::string> storedKeys() {
        bookservice::ClusterConfig config;
        std::string error;
        EXPECT_TRUE(bookservice::readClusterConfig(cluster_.config(), config, error)) << error;
        return bookservice::S3Client(config.store).list("books/");
    }

    Cluster cluster_;
    std::string alice_;
};

TEST_F(ClusterTest, NodesShareSessionsBooksAndOwnersRequests) {
    // Logged in through node1 (SetUp), uploaded through node2, read through every entrance.
    const std::string large = picture(3 << 20, 1);
    const auto uploaded =
        upload("node2", "shared", "<html>shared</html>", {{"shared\\wallimages\\big.jpg", large}});
    ASSERT_EQ(status(uploaded), 200);
    EXPECT_EQ(body(uploaded),
              "Upload complete. URL[http://127.0.0.1:" + std::to_string(cluster_.port("node2")) +
                  "/u/1/flipbook/shared/index.html]");
    for (const std::string part : {"node1", "node2", "front"}) {
        const auto page = cluster_.client(part).Get("/u/1/flipbook/shared/index.html");
        ASSERT_EQ(status(page), 200) << part;
        EXPECT_EQ(page->body, "<html>shared</html>");
        EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
        const auto big = cluster_.client(part).Get("/u/1/flipbook/shared/wallimages/big.jpg");
        ASSERT_EQ(status(big), 200);
        EXPECT_TRUE(big->body == large) << part;
        EXPECT_EQ(big->get_header_value("Content-Type"), "image/jpeg");
    }
    const auto first = cluster_.client("node1").Get("/u/1/flipbook/shared/wallimages/big.jpg",
                                                    {{"Range", "bytes=1000000-1000009"}});
    ASSERT_EQ(status(first), 206);
    EXPECT_EQ(first->body, large.substr(1000000, 10));
    const std::string etag = first->get_header_value("ETag");
    EXPECT_FALSE(etag.empty());
    EXPECT_FALSE(first->get_header_value("Last-Modified").empty());
    EXPECT_EQ(first->get_header_value("Cache-Control"), "public, no-cache");
    EXPECT_EQ(status(cluster_.client("node2").Get("/u/1/flipbook/shared/wallimages/big.jpg",
                                                  {{"If-None-Match", etag}})),
              304);
    EXPECT_EQ(exists("node2", "shared"), "The book has exist.");
    EXPECT_EQ(status(cluster_.client("front").Get("/u/1/flipbook/shared/nothing.html")), 404);

    // Two nodes racing for one name: one whole book wins, the other upload is told.
    std::vector<std::pair<int, std::string>> race(2); // status and body
    std::vector<std::thread> racers;
    for (int i = 0; i < 2; ++i) {
        racers.emplace_back([&, i] {
            const auto result =
                upload(i == 0 ? "node1" : "node2", "race", "page " + std::to_string(i),
                       {{"race\\wallimages\\0.jpg", picture(1 << 20, i)}});
            race[i] = {status(result), body(result)};
        });
    }
    for (auto& racer : racers) {
        racer.join();
    }
    const int winner = race[0].first == 200 ? 0 : 1;
    EXPECT_EQ(race[winner].first, 200);
    EXPECT_EQ(race[1 - winner].first, 409);
    EXPECT_EQ(race[1 - winner].second.find("URL["), std::string::npos);
    EXPECT_EQ(body(cluster_.client("front").Get("/u/1/flipbook/race/index.html")),
              "page " + std::to_string(winner));
    EXPECT_TRUE(body(cluster_.client("front").Get("/u/1/flipbook/race/wallimages/0.jpg")) ==
                picture(1 << 20, winner));

    // A session ended through one node is over on the other.
    const std::string other = sessionThrough(cluster_.client("node2"), "alice", "alice-password");
    EXPECT_EQ(body(cluster_.client("node2").Post("/app/logout.php", cookieHeader(other), "",
                                                 kForm.c_str())),
              "Logged out.");
    EXPECT_EQ(
        status(cluster_.client("node1").Post("/app/flipbook/fileexist.php", cookieHeader(other),
                                             "username=alice&bookname=x", kForm.c_str())),
        401);

    ASSERT_EQ(cluster_.addUser("bob", "bob@example.org", "bob-password"), 0);
    int turn = 0;
    checkOwnersBooks([&] { return cluster_.client(++turn % 2 ? "node1" : "node2"); }, alice_,
                     sessionThrough(cluster_.client("node2"), "bob", "bob-password"));
}

TEST_F(ClusterTest, KilledNodeMidUploadPublishesNothingAndRestartsClean) {
    ASSERT_EQ(status(upload("node2", "kept", "kept")), 200);
    const std::string uploadBody =
        bookBody("alice", "cut", "cut", {{"cut\\big.bin", picture(4 << 20, 3)}});
    const int connection = connectToPort(cluster_.port("node1"));
    ASSERT_GE(connection, 0);
    ASSERT_TRUE(sendAll(connection, std::string("POST ") + kUpload +
                                        " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: " +
                                        kUploadType + "\r\nCookie: " + alice_ +
                                        "\r\nContent-Length: " + std::to_string(uploadBody.size()) +
                                        "\r\n\r\n" + uploadBody.substr(0, uploadBody.size() / 2)));
    const std::string staging = cluster_.dir() + "/node1";
    ASSERT_TRUE(waitUntil([&] { return !folderEntries(staging).empty(); }, 60000));
    ASSERT_TRUE(cluster_.control("kill-part", "node1"));
    ::close(connection);

    EXPECT_EQ(exists("node2", "cut"), "The book name is free.");
    EXPECT_EQ(body(cluster_.client("node2").Get("/u/1/flipbook/kept/index.html")), "kept");
    EXPECT_EQ(body(cluster_.client("front").Get("/u/1/flipbook/kept/index.html")), "kept");
    EXPECT_FALSE(folderEntries(staging).empty()); // what the crash left

    ASSERT_TRUE(cluster_.control("start-part", "node1"));
    EXPECT_TRUE(folderEntries(staging).empty());
    EXPECT_EQ(exists("node1", "cut"), "The book name is free.");
    EXPECT_EQ(body(cluster_.client("node1").Get("/u/1/flipbook/kept/index.html")), "kept");
    EXPECT_EQ(status(upload("node1", "cut", "cut again")), 200);
}

// A node's port taken by another program since the set-up: before the front is configured, the
// node moves to a fresh port, and the front sends to it.
TEST_F(ClusterTest, ANodeWhosePortWasTakenStartsOnAFreshOneBeforeTheFront) {
    ASSERT_TRUE(cluster_.control("stop-part", "front"));
    ASSERT_TRUE(cluster_.control("stop-part", "node2"));
    const int held = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1; // node2's closed connections may still wait on the port
    ASSERT_EQ(::setsockopt(held, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(cluster_.port("node2")));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(held, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(held, 1), 0);
    ASSERT_TRUE(cluster_.control("start-part", "node2"));
    ASSERT_TRUE(cluster_.control("start-part", "front"));
    ::close(held);

    // With node1 gone, the front's answers come from node2 once its checks have seen node1 down.
    ASSERT_EQ(status(upload("node1", "moved", "moved")), 200);
    ASSERT_TRUE(cluster_.control("kill-part", "node1"));
    std::string served;
    EXPECT_TRUE(waitUntil(
        [&] {
            served = body(cluster_.client("front").Get("/u/1/flipbook/moved/index.html"));
            return served == "moved";
        },
        60000))
        << served;
}

TEST_F(ClusterTest, DatabaseOutageAnswers503AndNothingElseUntilItIsBack) {
    ASSERT_EQ(status(upload("node1", "before", "before")), 200);
    ASSERT_TRUE(cluster_.control("stop-part", "postgres"));

    httplib::Client node1 = cluster_.client("node1");
    const auto login =
        node1.Post("/__app_wp_login.php", "log=alice&pwd=alice-password", kForm.c_str());
    EXPECT_EQ(status(login), 503);
    EXPECT_EQ(body(login).find("Success"), std::string::npos);
    EXPECT_TRUE(login && !login->has_header("Set-Cookie"));
    const auto exist =
        cluster_.client("node2").Post("/app/flipbook/fileexist.php", cookieHeader(alice_),
                                      "username=alice&bookname=before", kForm.c_str());
    EXPECT_EQ(status(exist), 503);
    EXPECT_EQ(body(exist).find("exist"), std::string::npos);
    const auto refused = upload("node2", "during", "during");
    EXPECT_EQ(status(refused), 503);
    EXPECT_EQ(body(refused).find("URL["), std::string::npos);
    EXPECT_EQ(status(cluster_.client("front").Get("/u/1/flipbook/before/index.html")), 503);
    EXPECT_EQ(status(cluster_.client("front").Get("/app/flipbook/books.php", cookieHeader(alice_))),
              503);

    ASSERT_TRUE(cluster_.control("start-part", "postgres"));
    // Each node's pooled connections died with the server; the first requests reconnect.
    for (const std::string part : {"node1", "node2"}) {
        std::string cookie;
        httplib::Client client = cluster_.client(part);
        EXPECT_NE(loginThrough(client, "alice", "alice-password", &cookie).find("Login Success"),
                  std::string::npos)
            << part;
        EXPECT_EQ(exists(part, "before"), "The book has exist.");
    }
    EXPECT_EQ(exists("node1", "during"), "The book name is free.");
    EXPECT_EQ(status(upload("node2", "during", "during")), 200);
    EXPECT_EQ(body(cluster_.client("front").Get("/u/1/flipbook/before/index.html")), "before");
}

TEST_F(ClusterTest, StoreStoppedMidPublishPublishesNothingAndGcClearsIt) {
    // Many files, so that the store receives them for a while.
    std::vector<ZipEntry> files;
    for (int i = 0; i < 400; ++i) {
        files.push_back({"many\\wallimages\\" + std::to_string(i) + ".jpg", picture(40000, i)});
    }
    std::pair<int, std::string> result; // status and body
    std::thread uploader([&] {
        const auto answer = upload("node1", "many", "many", files);
        result = {status(answer), body(answer)};
    });
    EXPECT_TRUE(waitUntil([&] { return !storedKeys().empty(); }, 120000));
    // The uploader is joined before any assertion can end the test.
    const bool storeStopped = cluster_.control("stop-part", "store");
    uploader.join();
    ASSERT_TRUE(storeStopped);
    EXPECT_EQ(result.first, 503);
    EXPECT_EQ(result.second.find("URL["), std::string::npos);
    EXPECT_EQ(exists("node2", "many"), "The book name is free.");

    ASSERT_TRUE(cluster_.control("start-part", "store"));
    EXPECT_EQ(exists("node1", "many"), "The book name is free.");
    ASSERT_EQ(status(upload("node2", "other", "other")), 200);
    const std::size_t publishedKeys = 1;
    std::string output;
    EXPECT_EQ(cluster_.bookservice("gc --grace 0", &output), 0) << output;
    const auto left = storedKeys();
    ASSERT_EQ(left.size(), publishedKeys);
    EXPECT_NE(left[0].find("/index.html"), std::string::npos);
    EXPECT_EQ(body(cluster_.client("front").Get("/u/1/flipbook/other/index.html")), "other");
}

TEST(ClusterMigration, CopiesAccountsAndBooksAndCanRunTwice) {
    Service source;
    ASSERT_EQ(source.addUser("dave", "dave@example.org", "dave-password"), 0);
    ASSERT_EQ(source.addUser("carol", "carol@example.org", "carol-password"), 0);
    const std::string carol = source.session("carol", "carol-password").begin()->second;
    ASSERT_EQ(status(source.client().Post(
                  kUpload, cookieHeader(carol),
                  bookBody("carol", "moved", "moved", {{"moved\\xml\\images.xml", "<gallery/>"}}),
                  kUploadType.c_str())),
              200);
    ASSERT_EQ(source.stop(), 0);

    Cluster cluster;
    ASSERT_TRUE(cluster.started()) << cluster.startLog();
    const std::string words =
        "migrate --from " + shellQuoted(source.data()) + " --to " + shellQuoted(cluster.config());
    std::string output;
    ASSERT_EQ(runCommand(std::string(MURANO_BIN_DIR) + "/bookservice " + words, &output), 0)
        << output;
    EXPECT_NE(output.find("Accounts: 2 copied, 0 there already, 0 in conflict. Books: 1 copied, 0 "
                          "there already."),
              std::string::npos)
        << output;
    ASSERT_EQ(runCommand(std::string(MURANO_BIN_DIR) + "/bookservice " + words, &output), 0);
    EXPECT_NE(output.find("Accounts: 0 copied, 2 there already, 0 in conflict. Books: 0 copied, 1 "
                          "there already."),
              std::string::npos)
        << output;

    // The same ids, so the same addresses; the same passwords.
    httplib::Client front = cluster.client("front");
    EXPECT_EQ(loginThrough(front, "carol", "carol-password"),
              "Login Success&userID=2&userEmail=carol@example.org");
    EXPECT_EQ(body(front.Get("/u/2/flipbook/moved/index.html")), "moved");
    EXPECT_EQ(body(front.Get("/u/2/flipbook/moved/xml/images.xml")), "<gallery/>");
    ASSERT_EQ(cluster.addUser("erin", "erin@example.org", "erin-password"), 0);
    EXPECT_EQ(loginThrough(front, "erin", "erin-password"),
              "Login Success&userID=3&userEmail=erin@example.org");
}

} // namespace
} // namespace bookservice_test
