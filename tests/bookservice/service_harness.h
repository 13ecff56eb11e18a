// A real bookservice on 127.0.0.1 with a scratch data folder, and what tests send it: logins as the
// desktop client escapes them, its exact upload body, and ZIP archives made to order.
#pragma once

#include "tests/support/process.h"

#include <csignal>
#include <httplib.h>
#include <memory>
#include <string>
#include <vector>

namespace bookservice_test {

const std::string kBoundary = "-----------------------------7d935033608e2";
const std::string kUploadType = "multipart/form-data; boundary=" + kBoundary;

// The cluster configuration the services of these tests use instead of a data folder, from
// BOOKSERVICE_TEST_CONFIG (set by on-servers.sh); empty for the data folder.
std::string serversConfig();
// Empties the database of that configuration, so that each test starts with no accounts.
void emptyServers();
// Everything the database of that configuration holds of its accounts, as text.
std::string serversAccountRecords();
// What those servers hold of books: every key in the store and every book row, one a line.
std::vector<std::string> serversBookState();

class Service {
public:
    // Starts the service on `data` (a fresh folder when empty) with extra command-line words. With
    // a servers configuration, `data` holds only the staging folder, and a data folder that does
    // not exist yet empties the database first.
    explicit Service(const std::vector<std::string>& extra = {}, std::string data = {});
    ~Service();

    const std::string& data() const { return data_; }
    int port() const { return port_; }
    httplib::Client client() const;
    // Standard output and standard error so far (the request log is on standard error).
    std::string log();
    // Waits until the log holds `text`, which the service may write just after its answer.
    bool logShows(const std::string& text);
    // Ends the service with `signal`; the exit status (-1 when killed).
    int stop(int signal = SIGTERM);
    static constexpr int kRunning = -3;

    // Creates an account through add-user; the program's exit status.
    int addUser(const std::string& name, const std::string& email, const std::string& password);
    // Logs in as the desktop client does; the reply body, and the session cookie on success.
    std::string login(const std::string& name, const std::string& password,
                      std::string* cookie = nullptr);
    // Logs in and answers the "Cookie" header to send.
    httplib::Headers session(const std::string& name, const std::string& password);

    // What the store keeps of the accounts, as bytes to search: the data folder's database files,
    // or the accounts' rows in PostgreSQL.
    std::string storedAccounts() const;

    // Every path under the data folder, and with servers what they hold of books, for "nothing new
    // was written" checks.
    std::vector<std::string> snapshot() const;
    // Waits until the snapshot is exactly `expected` again; true when it is.
    bool settlesTo(const std::vector<std::string>& expected) const;

private:
    // Where the accounts and books are: the data folder, or the servers.
    std::vector<std::string> storeWords() const;

    std::unique_ptr<TemporaryFolder> scratch_;
    std::string data_;
    std::unique_ptr<RunningProcess> process_;
    int port_ = 0;
    int exitStatus_ = kRunning;
};

// A raw connection to the service on 127.0.0.1 from `source` (any 127.x.y.z address stands for
// another peer); -1 when it cannot connect.
int connectFrom(const Service& service, const std::string& source = "127.0.0.1");
int connectToPort(int port, const std::string& source = "127.0.0.1");
// Sends all of `bytes`; false when the connection failed.
bool sendAll(int connection, const std::string& bytes);
// Everything the service sends until it ends the connection or stays silent for `quietMs`.
std::string readUntilEnd(int connection, int quietMs = 60000);
// Whether the service ended the connection or sent anything: false while it waits, silent.
bool endedOrAnswered(int connection);

// Logs in through `client` as the desktop client does; the reply body, and the session cookie.
std::string loginThrough(httplib::Client& client, const std::string& name,
                         const std::string& password, std::string* cookie = nullptr);

// `word` quoted for /bin/sh.
std::string shellQuoted(const std::string& word);

// The password escaping of the desktop client: "%", "+" and "&" only, nothing else.
std::string clientEscape(const std::string& password);

// The upload body byte for byte as the desktop client builds it, empty first line included.
std::string clientUploadBody(const std::string& archive, const std::string& userName,
                             const std::string& bookName);

struct ZipEntry {
    std::string name;
    std::string content;
    unsigned unixMode = 0100644; // 0120777 makes a symbolic link
};
std::string makeZip(const std::vector<ZipEntry>& entries);

} // namespace bookservice_test
