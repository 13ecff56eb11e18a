// The command line of bookservice:
//     bookservice [--data DIR | --config FILE [--staging DIR]] [--listen ADDR:PORT]
//                 [--max-upload SIZE] [--max-book SIZE] [--head-timeout SECONDS]
//                 [--peer-connections COUNT]
//     bookservice [--data DIR | --config FILE] add-user NAME EMAIL   (password on standard input)
//     bookservice --config FILE migrate-schema
//     bookservice --config FILE gc [--grace SECONDS]
//     bookservice migrate --from DATA_DIR --to FILE
//     bookservice --help | --version
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bookservice {

struct ServiceOptions {
    enum class Command { Serve, AddUser, MigrateSchema, CollectGarbage, Migrate, Help, Version };
    Command command = Command::Serve;
    std::string dataFolder;        // accounts database, books and the staging area
    std::string configFile;        // when set: accounts in PostgreSQL, books in an S3 store
    std::string staging;           // with a configuration file: this node's scratch space
    long long graceSeconds = 3600; // gc: how old an unnamed version must be to go
    std::string host = "127.0.0.1";
    int port = 8080; // 0: any free port
    std::uint64_t maxUpload = std::uint64_t(512) << 20;
    std::uint64_t maxBook = std::uint64_t(2) << 30;
    int headTimeoutSeconds = 10;      // for a whole request head
    std::size_t peerConnections = 64; // open connections from one address
    std::string userName;             // add-user
    std::string email;
};

// $XDG_DATA_HOME/quorvex/bookservice, or ~/.local/share/quorvex/bookservice.
std::string defaultDataFolder();

// Reads the words after the program's name; false, with `error` saying why, on a mistake.
bool parseCommandLine(const std::vector<std::string>& words, ServiceOptions& options,
                      std::string& error);

// "512M", "2G", "1048576": bytes with an optional K, M or G (powers of 1024).
bool parseSize(const std::string& text, std::uint64_t& bytes);
// "127.0.0.1:8080", "0.0.0.0:80", "[::1]:8080", "localhost:8080".
bool parseListenAddress(const std::string& text, std::string& host, int& port);

// One row of the option table, from which the parser, the help and the manual page are all made:
// an option is added by adding its row.
struct OptionRow {
    std::vector<std::string> names; // as the help lists them: {"-h", "--help"}
    std::string valueName;          // what follows the option ("DIR"); empty for a flag, which
                                    // names something to do instead of serving
    std::string help;               // as the terminal shows it: lines broken with "\n"
    std::string manual;             // the manual page's paragraph, in roff
    // Takes the option's value; false when it is wrong, with `error` saying why after the
    // option's name ("takes seconds from 1 to 3600, not ...").
    std::function<bool(ServiceOptions& options, const std::string& value, std::string& error)> take;
};

// The options in the order the help lists them.
const std::vector<OptionRow>& optionTable();

// The help (--help) and the manual page, bookservice.8.
std::string usageText();
std::string manPage();

} // namespace bookservice
