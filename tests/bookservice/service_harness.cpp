#include "tests/bookservice/service_harness.h"

#include "platform/bookservice/cluster_config.h"
#include "platform/bookservice/postgres.h"
#include "platform/bookservice/s3_client.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <minizip/zip.h>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bookservice_test {

namespace {

const std::string kProgram = std::string(MURANO_BIN_DIR) + "/bookservice";
// How long to wait for what must happen soon; generous, for machines under load.
constexpr int kPatienceMs = 60000;

} // namespace

std::string serversConfig() {
    const char* config = std::getenv("BOOKSERVICE_TEST_CONFIG");
    return config ? config : "";
}

void emptyServers() {
    bookservice::ClusterConfig config;
    std::string error;
    if (serversConfig().empty() ||
        !bookservice::readClusterConfig(serversConfig(), config, error)) {
        return;
    }
    bookservice::PostgresPool pool(config.database, 1);
    pool.run("TRUNCATE accounts, sessions, books, retired_versions RESTART IDENTITY CASCADE", {});
}

std::string serversAccountRecords() {
    bookservice::ClusterConfig config;
    std::string error;
    if (!bookservice::readClusterConfig(serversConfig(), config, error)) {
        return {};
    }
    bookservice::PostgresPool pool(config.database, 1);
    const bookservice::Rows rows = pool.run("SELECT accounts::text FROM accounts", {});
    std::string records;
    for (int row = 0; row < rows.count(); ++row) {
        records += rows.text(row, 0) + "\n";
    }
    return records;
}

std::string shellQuoted(const std::string& word) {
    std::string out = "'";
    for (const char c : word) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string loginThrough(httplib::Client& client, const std::string& name,
                         const std::string& password, std::string* cookie) {
    const auto reply =
        client.Post("/__app_wp_login.php", "log=" + name + "&pwd=" + clientEscape(password),
                    "application/x-www-form-urlencoded");
    if (!reply) {
        return {};
    }
    if (cookie) {
        const std::string header = reply->get_header_value("Set-Cookie");
        *cookie = header.substr(0, header.find(';'));
    }
    return reply->body;
}

std::vector<std::string> Service::storeWords() const {
    const std::string config = serversConfig();
    if (config.empty()) {
        return {"--data", data_};
    }
    return {"--config", config, "--staging", data_ + "/staging"};
}

Service::Service(const std::vector<std::string>& extra, std::string data) : data_(std::move(data)) {
    // A refused upload may end its connection while the client still sends.
    std::signal(SIGPIPE, SIG_IGN);
    if (data_.empty()) {
        scratch_ = std::make_unique<TemporaryFolder>();
        data_ = scratch_->file("data");
    }
    if (!std::filesystem::exists(data_)) {
        emptyServers();
    }
    // Through a shell only to join standard error (the request log) to the captured output.
    std::vector<std::string> words = {"sh", "-c", "exec \"$0\" \"$@\" 2>&1", kProgram};
    for (const std::string& word : storeWords()) {
        words.push_back(word);
    }
    words.insert(words.end(), {"--listen", "127.0.0.1:0"});
    words.insert(words.end(), extra.begin(), extra.end());
    process_ = std::make_unique<RunningProcess>("/bin/sh", words);
    if (process_->waitForOutput("/\n", kPatienceMs)) {
        std::smatch match;
        const std::string& out = process_->output();
        if (std::regex_search(out, match, std::regex(R"(http://127\.0\.0\.1:(\d+)/)"))) {
            port_ = std::stoi(match[1].str());
        }
    }
}

Service::~Service() {
    stop();
}

httplib::Client Service::client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30);
    return client;
}

std::string Service::log() {
    process_->waitForOutput("\x01", 300);
    return process_->output();
}

bool Service::logShows(const std::string& text) {
    return process_->waitForOutput(text, kPatienceMs);
}

int Service::stop(int signal) {
    if (exitStatus_ == kRunning) {
        process_->signal(signal);
        exitStatus_ = process_->wait(15000);
    }
    return exitStatus_;
}

int Service::addUser(const std::string& name, const std::string& email,
                     const std::string& password) {
    std::string command = shellQuoted(kProgram);
    for (const std::string& word : storeWords()) {
        command += " " + shellQuoted(word);
    }
    command += " add-user " + shellQuoted(name) + " " + shellQuoted(email) + " >/dev/null 2>&1";
    std::FILE* pipe = ::popen(command.c_str(), "w");
    if (!pipe) {
        return -1;
    }
    std::fputs((password + "\n").c_str(), pipe);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Service::login(const std::string& name, const std::string& password,
                           std::string* cookie) {
    httplib::Client through = client();
    return loginThrough(through, name, password, cookie);
}

httplib::Headers Service::session(const std::string& name, const std::string& password) {
    std::string cookie;
    login(name, password, &cookie);
    return {{"Cookie", cookie}};
}

std::vector<std::string> serversBookState() {
    static const bool clientReady = bookservice::startS3Client();
    bookservice::ClusterConfig config;
    std::string error;
    if (!clientReady || !bookservice::readClusterConfig(serversConfig(), config, error)) {
        return {};
    }
    std::vector<std::string> state;
    for (const std::string& key : bookservice::S3Client(config.store).list("")) {
        state.push_back("store: " + key);
    }
    bookservice::PostgresPool pool(config.database, 1);
    const bookservice::Rows rows = pool.run("SELECT books::text FROM books ORDER BY 1", {});
    for (int row = 0; row < rows.count(); ++row) {
        state.push_back("row: " + rows.text(row, 0));
    }
    return state;
}

std::string Service::storedAccounts() const {
    return serversConfig().empty()
               ? readFile(data_ + "/accounts.sqlite") + readFile(data_ + "/accounts.sqlite-wal")
               : serversAccountRecords();
}

std::vector<std::string> Service::snapshot() const {
    // The service may be removing its staging files while we look: a walk that loses its way
    // starts again, and names are made relative without asking the disk.
    for (;;) {
        std::vector<std::string> paths;
        std::error_code error;
        if (!std::filesystem::is_directory(data_, error)) {
            return {};
        }
        std::filesystem::recursive_directory_iterator entry(data_, error);
        for (; !error && entry != std::filesystem::recursive_directory_iterator();
             entry.increment(error)) {
            paths.push_back(entry->path().lexically_relative(data_).string());
        }
        if (!error) {
            std::sort(paths.begin(), paths.end());
            if (!serversConfig().empty()) {
                const std::vector<std::string> books = serversBookState();
                paths.insert(paths.end(), books.begin(), books.end());
            }
            return paths;
        }
    }
}

bool Service::settlesTo(const std::vector<std::string>& expected) const {
    for (int waited = 0; waited < kPatienceMs; waited += 50) {
        if (snapshot() == expected) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int connectFrom(const Service& service, const std::string& source) {
    return connectToPort(service.port(), source);
}

int connectToPort(int port, const std::string& source) {
    const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(connection, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        ::connect(connection, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(connection);
        return -1;
    }
    return connection;
}

bool sendAll(int connection, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        const ssize_t step =
            ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (step <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(step);
    }
    return true;
}

std::string readUntilEnd(int connection, int quietMs) {
    std::string received;
    char piece[4096];
    pollfd entry{connection, POLLIN, 0};
    while (::poll(&entry, 1, quietMs) > 0) {
        const ssize_t got = ::recv(connection, piece, sizeof piece, 0);
        if (got <= 0) {
            break;
        }
        received.append(piece, static_cast<std::size_t>(got));
    }
    return received;
}

bool endedOrAnswered(int connection) {
    pollfd entry{connection, POLLIN, 0};
    return ::poll(&entry, 1, 0) != 0;
}

std::string clientEscape(const std::string& password) {
    std::string out;
    for (const char c : password) {
        out += c == '%' ? "%25" : c == '+' ? "%2B" : c == '&' ? "%26" : std::string(1, c);
    }
    return out;
}

std::string clientUploadBody(const std::string& archive, const std::string& userName,
                             const std::string& bookName) {
    const std::string crlf = "\r\n";
    return crlf + "--" + kBoundary + crlf +
           "Content-Disposition: form-data; name=\"user_upload_file[]\"; "
           "filename=\"zapperstab.zip\"" +
           crlf + "Content-Type: application/octet-stream" + crlf + crlf + archive + crlf + "--" +
           kBoundary + crlf + "Content-Disposition: form-data; name=\"username\"" + crlf + crlf +
           userName + crlf + "--" + kBoundary + crlf +
           "Content-Disposition: form-data; name=\"bookname\"" + crlf + crlf + bookName + crlf +
           "--" + kBoundary + "--" + crlf;
}

std::string makeZip(const std::vector<ZipEntry>& entries) {
    TemporaryFolder folder;
    const std::string path = folder.file("made.zip");
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const ZipEntry& entry : entries) {
        zip_fileinfo info{};
        info.external_fa = static_cast<uLong>(entry.unixMode) << 16;
        const uLong madeOnUnix = (3u << 8) | 20u;
        zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, madeOnUnix, 0, 0);
        zipWriteInFileInZip(zip, entry.content.data(), static_cast<unsigned>(entry.content.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    return readFile(path);
}

} // namespace bookservice_test
