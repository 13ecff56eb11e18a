// Accounts over real HTTP: the register page, logins with the desktop client's escaping, sessions,
// the account requests' refusals, the request log and the command line.
#include "platform/bookservice/command_line.h"
#include "tests/bookservice/service_harness.h"

#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace bookservice_test {
namespace {

const std::string kForm = "application/x-www-form-urlencoded";

// An option's name as a manual page spells it.
std::string manualSpelling(const std::string& name) {
    std::string escaped;
    for (const char c : name) {
        escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    }
    return escaped;
}

// What the desktop client takes from a login reply: the text after a marker up to the next "&".
std::string afterMarker(const std::string& reply, const std::string& marker, std::size_t skip) {
    const std::size_t at = reply.find(marker);
    if (at == std::string::npos) {
        return "<absent>";
    }
    const std::size_t start = at + skip;
    return reply.substr(start, reply.find('&', start) - start);
}

TEST(BookServiceAccounts, PasswordsReachTheServiceIntactAsTheClientSendsThem) {
    Service service;
    struct Case {
        std::string name, password, typed; // typed: the bytes the client sends, before escaping
    };
    const std::vector<Case> cases = {
        {"percent", "100%25 sure", "100%25 sure"},
        {"plus", "a+b+c+d+e", "a+b+c+d+e"},
        {"amp", "this&that&more", "this&that&more"},
        {"equals", "key=value=x", "key=value=x"},
        {"spaces", "  spaced out  ", "  spaced out  "},
        {"utf8", "pässwörd€", "pässwörd€"},
        // The client's 8-bit codec is GBK: "密码" as GBK bytes.
        {"gbk", "secret密码", "secret\xC3\xDC\xC2\xEB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string email = c.name + "+tag@example.org";
        ASSERT_EQ(service.addUser(c.name, email, c.password), 0);
        std::string cookie;
        const std::string reply = service.login(c.name, c.typed, &cookie);
        EXPECT_NE(reply.find("ccess"), std::string::npos) << reply;
        EXPECT_EQ(afterMarker(reply, "userEmail", 10), email);
        EXPECT_NE(afterMarker(reply, "userID=", 7), "<absent>");
        EXPECT_EQ(cookie.rfind("bookservice_session=", 0), 0u);
        EXPECT_NE(service.login(c.name, c.typed + "x").find("incorrect"), std::string::npos);
    }
    const std::string unknown = service.login("nobody", "whatever1");
    EXPECT_NE(unknown.find("Invalid"), std::string::npos);
    const std::string wrong = service.login("plus", "a b c d e");
    EXPECT_NE(wrong.find("incorrect"), std::string::npos);
    for (const std::string& failure : {unknown, wrong}) {
        EXPECT_EQ(failure.find("ccess"), std::string::npos) << failure;
    }
    EXPECT_EQ(wrong.find("Invalid"), std::string::npos);

    // Only slow salted hashes are stored, and the log never shows a password.
    const std::string stored = service.storedAccounts();
    EXPECT_NE(stored.find("$argon2id$"), std::string::npos);
    EXPECT_EQ(stored.find("key=value=x"), std::string::npos);
    EXPECT_TRUE(service.logShows("POST /__app_wp_login.php 200"));
    EXPECT_TRUE(service.logShows("POST /__app_wp_login.php 401"));
    EXPECT_EQ(service.log().find("key=value"), std::string::npos);
}

TEST(BookServiceAccounts, RegisterPageCreatesAccountsAndRefusesBadOnes) {
    Service service;
    const auto page = service.client().Get("/wp-login.php?action=register");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    for (const char* field : {"name=\"user_login\"", "name=\"user_email\"", "name=\"user_pass\""}) {
        EXPECT_NE(page->body.find(field), std::string::npos) << field;
    }

    const auto post = [&](const std::string& body) {
        return service.client().Post("/wp-login.php?action=register", body, kForm)->status;
    };
    // A browser sends UTF-8, percent-encoded, spaces as "+".
    EXPECT_EQ(post("user_login=J%C3%BCrgen&user_email=j%40example.org&user_pass=long+pass%26word"),
              200);
    EXPECT_NE(service.login("Jürgen", "long pass&word").find("ccess"), std::string::npos);

    const std::vector<std::pair<std::string, int>> refused = {
        {"user_login=J%C3%BCRGEN&user_email=x%40example.org&user_pass=long+password", 409},
        {"user_login=shorty&user_email=s%40example.org&user_pass=short", 400},
        {"user_login=noat&user_email=example.org&user_pass=long+password", 400},
        {"user_login=a%26b&user_email=a%40example.org&user_pass=long+password", 400},
        {"user_login=&user_email=e%40example.org&user_pass=long+password", 400},
    };
    for (const auto& [body, status] : refused) {
        EXPECT_EQ(post(body), status) << body;
    }
    EXPECT_NE(service.login("shorty", "short").find("Invalid"), std::string::npos);
    EXPECT_EQ(service.client().Get("/wp-login.php")->status, 404);
}

TEST(BookServiceAccounts, AccountRequestsNeedTheOwnersSession) {
    Service service;
    ASSERT_EQ(service.addUser("alice", "alice+books@example.org", "alice-password"), 0);
    ASSERT_EQ(service.addUser("bob", "bob@example.org", "bob-password"), 0);
    const httplib::Headers alice = service.session("alice", "alice-password");
    const httplib::Headers forged = {{"Cookie", "bookservice_session=" + std::string(64, 'a')}};

    struct Case {
        httplib::Headers headers;
        std::string path, body;
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        // The client sends the address unescaped, so its "+" arrives as a space.
        {alice, "/app/paypal/paypal.php", "action=getPoint&uEmail=alice+books@example.org", 200,
         "point=0"},
        {{}, "/app/paypal/paypal.php", "action=getPoint&uEmail=alice+books@example.org", 401, ""},
        {forged, "/app/paypal/paypal.php", "action=getPoint&uEmail=alice+books@example.org", 401,
         ""},
        {alice, "/app/paypal/paypal.php", "action=getPoint&uEmail=bob@example.org", 403, ""},
        {alice, "/app/flipbook/fileexist.php", "username=alice&bookname=fresh", 200, ""},
        {{}, "/app/flipbook/fileexist.php", "username=alice&bookname=fresh", 401, ""},
        {alice, "/app/flipbook/fileexist.php", "username=bob&bookname=fresh", 403, ""},
        {alice, "/app/flipbook/fileexist.php", "username=alice&bookname=../x", 400, ""},
    };
    for (const Case& c : cases) {
        const auto reply = service.client().Post(c.path, c.headers, c.body, kForm.c_str());
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, c.status) << c.path << " " << c.body;
        EXPECT_EQ(reply->body.find("has exist"), std::string::npos);
        EXPECT_EQ(reply->body.find("ccess"), std::string::npos);
        if (!c.reply.empty()) {
            EXPECT_EQ(reply->body, c.reply);
        }
    }
}

// The answer goes out compressed to a client that accepts it; the log shows its reason as written.
TEST(BookServiceAccounts, TheLogShowsRefusalReasonsOfCompressedAnswers) {
    Service service;
    const int connection = connectFrom(service);
    ASSERT_TRUE(sendAll(connection, "POST /app/paypal/paypal.php HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                    "Accept-Encoding: gzip, deflate\r\nConnection: close\r\n"
                                    "Content-Type: application/x-www-form-urlencoded\r\n"
                                    "Content-Length: 15\r\n\r\naction=getPoint"));
    const std::string answer = readUntilEnd(connection);
    ::close(connection);
    EXPECT_EQ(answer.rfind("HTTP/1.1 401 ", 0), 0u) << answer;
    EXPECT_NE(answer.find("Content-Encoding: gzip"), std::string::npos);
    EXPECT_TRUE(service.logShows("POST /app/paypal/paypal.php 401 "));
    EXPECT_TRUE(service.logShows(" \"Please log in first.\"\n"));
}

TEST(BookServiceCommandLine, HelpMistakesAndATakenPort) {
    const std::string program = std::string(MURANO_BIN_DIR) + "/bookservice";
    const ProcessResult help = runProcess(program, {"bookservice", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--listen ADDR:PORT"), std::string::npos);
    for (const std::vector<std::string>& words :
         {std::vector<std::string>{"bookservice", "--bogus"},
          std::vector<std::string>{"bookservice", "--listen", "8080"},
          std::vector<std::string>{"bookservice", "--max-upload", "lots"},
          std::vector<std::string>{"bookservice", "--head-timeout", "0"},
          std::vector<std::string>{"bookservice", "--peer-connections", "many"},
          std::vector<std::string>{"bookservice", "add-user", "onlyname"}}) {
        const ProcessResult wrong = runProcess(program, words);
        EXPECT_EQ(wrong.status, 2) << words[1];
        EXPECT_NE(wrong.err.find("--help"), std::string::npos);
    }
    Service first;
    TemporaryFolder other;
    const ProcessResult second =
        runProcess(program, {"bookservice", "--data", other.file("data"), "--listen",
                             "127.0.0.1:" + std::to_string(first.port())});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("cannot listen"), std::string::npos);
}

TEST(BookServiceCommandLine, EveryOptionOfTheTableIsReadInBothSpellings) {
    // A value of the kind each row names; a flag takes none.
    const std::map<std::string, std::string> samples = {{"DIR", "/srv/books"},
                                                        {"FILE", "/etc/books.conf"},
                                                        {"DATA_DIR", "/srv/old"},
                                                        {"ADDR:PORT", "[::1]:8081"},
                                                        {"SIZE", "3M"},
                                                        {"SECONDS", "7"},
                                                        {"COUNT", "5"}};
    const std::string help = bookservice::usageText();
    for (const bookservice::OptionRow& row : bookservice::optionTable()) {
        ASSERT_TRUE(row.valueName.empty() || samples.count(row.valueName)) << row.names[0];
        for (const std::string& name : row.names) {
            EXPECT_NE(help.find(name), std::string::npos) << name;
            EXPECT_NE(bookservice::manPage().find(manualSpelling(name)), std::string::npos) << name;
            std::vector<std::vector<std::string>> spellings = {{name}};
            if (!row.valueName.empty()) {
                spellings = {{name, samples.at(row.valueName)},
                             {name + "=" + samples.at(row.valueName)}};
            }
            for (const auto& words : spellings) {
                bookservice::ServiceOptions options;
                std::string error;
                EXPECT_TRUE(bookservice::parseCommandLine(words, options, error))
                    << words[0] << ": " << error;
            }
            if (!row.valueName.empty()) {
                bookservice::ServiceOptions options;
                std::string error;
                EXPECT_FALSE(bookservice::parseCommandLine({name}, options, error));
                EXPECT_EQ(error, name + " needs a value");
            }
        }
    }
    bookservice::ServiceOptions options;
    std::string error;
    ASSERT_TRUE(bookservice::parseCommandLine(
        {"--listen=[::1]:8081", "--max-book", "3M", "--peer-connections=5", "--head-timeout", "7"},
        options, error));
    EXPECT_EQ(options.host, "::1");
    EXPECT_EQ(options.port, 8081);
    EXPECT_EQ(options.maxBook, 3u << 20);
    EXPECT_EQ(options.peerConnections, 5u);
    EXPECT_EQ(options.headTimeoutSeconds, 7);
}

} // namespace
} // namespace bookservice_test
