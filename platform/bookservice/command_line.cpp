#include "platform/bookservice/command_line.h"

#include <cstdint>
#include <cstdlib>

namespace bookservice {

namespace {

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           text.size() <= 18;
}

// Splits "--name=value" or takes the value from the next word.
bool optionValue(const std::vector<std::string>& words, std::size_t& i, const std::string& name,
                 std::string& value, std::string& error) {
    const std::string& word = words[i];
    if (word.size() > name.size() && word.compare(0, name.size() + 1, name + "=") == 0) {
        value = word.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= words.size()) {
        error = name + " needs a value";
        return false;
    }
    value = words[++i];
    return true;
}

bool isOption(const std::string& word, const std::string& name) {
    return word == name || word.compare(0, name.size() + 1, name + "=") == 0;
}

// A whole number from `lowest` to `highest`.
bool parseCount(const std::string& text, long long lowest, long long highest, long long& count) {
    if (!allDigits(text)) {
        return false;
    }
    count = std::strtoll(text.c_str(), nullptr, 10);
    return count >= lowest && count <= highest;
}

} // namespace

std::string defaultDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome == '/') {
        return std::string(dataHome) + "/quorvex/bookservice";
    }
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/quorvex/bookservice";
}

bool parseSize(const std::string& text, std::uint64_t& bytes) {
    std::string digits = text;
    unsigned shift = 0;
    if (!digits.empty()) {
        switch (digits.back()) {
        case 'K':
        case 'k':
            shift = 10;
            break;
        case 'M':
        case 'm':
            shift = 20;
            break;
        case 'G':
        case 'g':
            shift = 30;
            break;
        default:
            break;
        }
    }
    if (shift) {
        digits.pop_back();
    }
    if (!allDigits(digits)) {
        return false;
    }
    const std::uint64_t count = std::strtoull(digits.c_str(), nullptr, 10);
    if (count == 0 || count > (UINT64_MAX >> shift)) {
        return false;
    }
    bytes = count << shift;
    return true;
}

bool parseListenAddress(const std::string& text, std::string& host, int& port) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    host = text.substr(0, colon);
    if (host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    const std::string number = text.substr(colon + 1);
    if (host.empty() || !allDigits(number) || number.size() > 5) {
        return false;
    }
    port = std::atoi(number.c_str());
    return port <= 65535;
}

bool parseCommandLine(const std::vector<std::string>& words, ServiceOptions& options,
                      std::string& error) {
    options.dataFolder = defaultDataFolder();
    bool dataGiven = false;
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        std::string value;
        if (word == "--help" || word == "-h") {
            options.command = ServiceOptions::Command::Help;
            return true;
        }
        if (word == "--version") {
            options.command = ServiceOptions::Command::Version;
            return true;
        }
        if (isOption(word, "--data") || isOption(word, "--config") || isOption(word, "--staging") ||
            isOption(word, "--from") || isOption(word, "--to")) {
            const std::string name = word.substr(0, word.find('='));
            if (!optionValue(words, i, name, value, error)) {
                return false;
            }
            (name == "--data" || name == "--from"   ? options.dataFolder
             : name == "--config" || name == "--to" ? options.configFile
                                                    : options.staging) = value;
            dataGiven = dataGiven || name == "--data" || name == "--from";
        } else if (isOption(word, "--grace")) {
            if (!optionValue(words, i, "--grace", value, error) ||
                !parseCount(value, 0, 365LL * 24 * 3600, options.graceSeconds)) {
                error = "--grace takes seconds";
                return false;
            }
        } else if (isOption(word, "--listen")) {
            if (!optionValue(words, i, "--listen", value, error)) {
                return false;
            }
            if (!parseListenAddress(value, options.host, options.port)) {
                error = "--listen takes ADDRESS:PORT, not \"" + value + "\"";
                return false;
            }
        } else if (isOption(word, "--max-upload") || isOption(word, "--max-book")) {
            const std::string name = word.substr(0, word.find('='));
            if (!optionValue(words, i, name, value, error)) {
                return false;
            }
            if (!parseSize(value, name == "--max-upload" ? options.maxUpload : options.maxBook)) {
                error = name + " takes a size such as 512M, not \"" + value + "\"";
                return false;
            }
        } else if (isOption(word, "--head-timeout") || isOption(word, "--peer-connections")) {
            const std::string name = word.substr(0, word.find('='));
            const bool head = name == "--head-timeout";
            long long count = 0;
            if (!optionValue(words, i, name, value, error)) {
                return false;
            }
            if (!parseCount(value, 1, head ? 3600 : 256, count)) {
                error = name +
                        (head ? " takes seconds from 1 to 3600" : " takes a count from 1 to 256") +
                        ", not \"" + value + "\"";
                return false;
            }
            if (head) {
                options.headTimeoutSeconds = static_cast<int>(count);
            } else {
                options.peerConnections = static_cast<std::size_t>(count);
            }
        } else if (word.size() > 1 && word[0] == '-') {
            error = "unknown option " + word;
            return false;
        } else {
            operands.push_back(word);
        }
    }
    const std::string command = operands.empty() ? "" : operands[0];
    if (dataGiven && !options.configFile.empty() && command != "migrate") {
        error = "--data and --config name two different stores; give one";
        return false;
    }
    if (command.empty()) {
        return true;
    }
    const bool needsConfig = command == "migrate-schema" || command == "gc" || command == "migrate";
    if (needsConfig && options.configFile.empty()) {
        error = command + (command == "migrate" ? " needs --from DATA_DIR --to FILE"
                                                : " needs --config FILE");
        return false;
    }
    if (command == "migrate" && !dataGiven) {
        error = "migrate needs --from DATA_DIR";
        return false;
    }
    const std::size_t expected = command == "add-user" ? 3 : 1;
    if (!(command == "add-user" || needsConfig) || operands.size() != expected) {
        error = command == "add-user" ? "add-user takes a user name and an e-mail address"
                : needsConfig         ? command + " takes no further words"
                                      : "unknown command " + command;
        return false;
    }
    options.command = command == "add-user"         ? ServiceOptions::Command::AddUser
                      : command == "migrate-schema" ? ServiceOptions::Command::MigrateSchema
                      : command == "gc"             ? ServiceOptions::Command::CollectGarbage
                                                    : ServiceOptions::Command::Migrate;
    if (command == "add-user") {
        options.userName = operands[1];
        options.email = operands[2];
    }
    return true;
}

std::string usageText() {
    return "Usage: bookservice [OPTIONS]\n"
           "       bookservice [--data DIR | --config FILE] add-user NAME EMAIL\n"
           "       bookservice --config FILE migrate-schema\n"
           "       bookservice --config FILE gc [--grace SECONDS]\n"
           "       bookservice migrate --from DATA_DIR --to FILE\n"
           "\n"
           "Serves Quorvex Murano's online books: accounts, uploads and the published walls.\n"
           "Logs one line per request to standard error; stops cleanly on SIGTERM or SIGINT.\n"
           "\n"
           "Options:\n"
           "  --data DIR          accounts, books and uploads in progress\n"
           "                      (default: " +
           defaultDataFolder() +
           ")\n"
           "  --config FILE       accounts in PostgreSQL and books in an S3 object store, as\n"
           "                      the file (mode 0600) says, instead of the data folder\n"
           "  --staging DIR       with --config: this node's scratch space for uploads\n"
           "  --listen ADDR:PORT  where to accept connections (default: 127.0.0.1:8080;\n"
           "                      port 0 takes any free port)\n"
           "  --max-upload SIZE   largest upload accepted, such as 512M (default: 512M)\n"
           "  --max-book SIZE     largest unpacked book, such as 2G (default: 2G)\n"
           "  --head-timeout SECONDS\n"
           "                      time a client has to send a whole request head (default: 10)\n"
           "  --peer-connections COUNT\n"
           "                      open connections one address may hold (default: 64)\n"
           "  -h, --help          this text\n"
           "  --version           the version\n"
           "\n"
           "add-user creates an account; its password is read from standard input (one line).\n"
           "migrate-schema creates or upgrades the database's tables and the store's bucket.\n"
           "gc removes stored files no book names: of failed uploads once older than --grace\n"
           "(default 3600 seconds), of replaced and deleted books --grace after.\n"
           "migrate copies accounts (sessions excepted) and books from a data folder into the\n"
           "servers of a configuration file; what is there already is kept, so it may run twice.\n";
}

} // namespace bookservice
