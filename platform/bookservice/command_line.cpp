#include "platform/bookservice/command_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace bookservice {

namespace {

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           text.size() <= 18;
}

// The value of the option `name` that words[i] ("--name=value" or "--name") begins: after the
// equals sign, or the next word. An empty value is a mistake.
bool optionValue(const std::vector<std::string>& words, std::size_t& i, const std::string& name,
                 std::string& value, std::string& error) {
    if (words[i] != name) {
        value = words[i].substr(name.size() + 1);
    } else if (i + 1 < words.size()) {
        value = words[++i];
    }
    if (value.empty()) {
        error = name + " needs a value";
        return false;
    }
    return true;
}

// A whole number from `lowest` to `highest`.
bool parseCount(const std::string& text, long long lowest, long long highest, long long& count) {
    if (!allDigits(text)) {
        return false;
    }
    count = std::strtoll(text.c_str(), nullptr, 10);
    return count >= lowest && count <= highest;
}

using Take = std::function<bool(ServiceOptions&, const std::string&, std::string&)>;

Take takeText(std::string ServiceOptions::*field) {
    return [field](ServiceOptions& options, const std::string& value, std::string&) {
        options.*field = value;
        return true;
    };
}

Take takeSize(std::uint64_t ServiceOptions::*field) {
    return [field](ServiceOptions& options, const std::string& value, std::string& error) {
        if (parseSize(value, options.*field)) {
            return true;
        }
        error = "takes a size such as 512M, not \"" + value + "\"";
        return false;
    };
}

// A whole number from `lowest` to `highest`, of `what` ("seconds").
template <typename Number>
Take takeCount(const std::string& what, long long lowest, long long highest,
               Number ServiceOptions::*field) {
    return [=](ServiceOptions& options, const std::string& value, std::string& error) {
        long long count = 0;
        if (!parseCount(value, lowest, highest, count)) {
            error = "takes " + what + " from " + std::to_string(lowest) + " to " +
                    std::to_string(highest) + ", not \"" + value + "\"";
            return false;
        }
        options.*field = static_cast<Number>(count);
        return true;
    };
}

Take takeCommand(ServiceOptions::Command command) {
    return [command](ServiceOptions& options, const std::string&, std::string&) {
        options.command = command;
        return true;
    };
}

const OptionRow* rowNamed(const std::string& name) {
    for (const OptionRow& row : optionTable()) {
        if (std::find(row.names.begin(), row.names.end(), name) != row.names.end()) {
            return &row;
        }
    }
    return nullptr;
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

const std::vector<OptionRow>& optionTable() {
    static const std::vector<OptionRow> rows = {
        {{"--data"},
         "DIR",
         "accounts, books and uploads in progress\n(default: " + defaultDataFolder() + ")",
         "The accounts, books and uploads in progress (default\n"
         ".IR $XDG_DATA_HOME/quorvex/bookservice ,\nor\n"
         ".I ~/.local/share/quorvex/bookservice\nwithout\n.BR XDG_DATA_HOME ).\n"
         "It is created when missing, readable by its owner only.",
         takeText(&ServiceOptions::dataFolder)},
        {{"--config"},
         "FILE",
         "accounts in PostgreSQL and books in an S3 object store, as\nthe file (mode 0600) says, "
         "instead of the data folder",
         "Accounts in PostgreSQL and books in an S3 object store, as the file says,\n"
         "instead of the data folder.\nThe file must have mode 0600; its credentials are never "
         "shown.",
         takeText(&ServiceOptions::configFile)},
        {{"--staging"},
         "DIR",
         "with --config: this node's scratch space for uploads",
         "With\n.BR \\-\\-config :\nthis node's scratch space for uploads in progress.",
         takeText(&ServiceOptions::staging)},
        {{"--listen"},
         "ADDR:PORT",
         "where to accept connections (default: 127.0.0.1:8080;\nport 0 takes any free port)",
         "Where to accept connections (default 127.0.0.1:8080): an IPv4 address, an\n"
         "IPv6 address in brackets such as [::1]:8080, or a host name.\n"
         "Port 0 takes any free port; the address taken is printed on standard output.",
         [](ServiceOptions& options, const std::string& value, std::string& error) {
             if (parseListenAddress(value, options.host, options.port)) {
                 return true;
             }
             error = "takes ADDRESS:PORT, not \"" + value + "\"";
             return false;
         }},
        {{"--max-upload"},
         "SIZE",
         "largest upload accepted, such as 512M (default: 512M)",
         "The largest upload accepted (default 512M).",
         takeSize(&ServiceOptions::maxUpload)},
        {{"--max-book"},
         "SIZE",
         "largest unpacked book, such as 2G (default: 2G)",
         "The largest book once unpacked (default 2G).",
         takeSize(&ServiceOptions::maxBook)},
        {{"--head-timeout"},
         "SECONDS",
         "time a client has to send a whole request head (default: 10)",
         "How long a request head may take to arrive whole (default 10); a slower one is\n"
         "answered 408 and its connection ended.",
         takeCount("seconds", 1, 3600, &ServiceOptions::headTimeoutSeconds)},
        {{"--peer-connections"},
         "COUNT",
         "open connections one address may hold (default: 64)",
         "How many connections one address may hold at once (default 64); beyond that,\n503.",
         takeCount("a count", 1, 256, &ServiceOptions::peerConnections)},
        {{"--grace"},
         "SECONDS",
         "gc: how old stored files no book names must be to go\n(default: 3600)",
         "For\n.BR gc :\nhow old stored files no book names must be before they go (default 3600).",
         takeCount("seconds", 0, 365LL * 24 * 3600, &ServiceOptions::graceSeconds)},
        {{"--from"},
         "DATA_DIR",
         "migrate: the data folder to copy from",
         "For\n.BR migrate :\nthe data folder to copy from.",
         takeText(&ServiceOptions::dataFolder)},
        {{"--to"},
         "FILE",
         "migrate: the configuration file of the servers to copy to",
         "For\n.BR migrate :\nthe configuration file of the servers to copy into.",
         takeText(&ServiceOptions::configFile)},
        {{"-h", "--help"},
         "",
         "this text",
         "Prints the help and exits.",
         takeCommand(ServiceOptions::Command::Help)},
        {{"--version"},
         "",
         "the version",
         "Prints the version and exits.",
         takeCommand(ServiceOptions::Command::Version)},
    };
    return rows;
}

bool parseCommandLine(const std::vector<std::string>& words, ServiceOptions& options,
                      std::string& error) {
    options.dataFolder.clear();
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word[0] != '-') {
            operands.push_back(word);
            continue;
        }
        const std::string name = word.substr(0, word.find('='));
        const OptionRow* row = rowNamed(name);
        if (!row || (row->valueName.empty() && word != name)) {
            error = "unknown option " + word;
            return false;
        }
        std::string value;
        if (!row->valueName.empty() && !optionValue(words, i, name, value, error)) {
            return false;
        }
        if (!row->take(options, value, error)) {
            error = name + " " + error;
            return false;
        }
        if (row->valueName.empty()) {
            return true; // --help or --version: nothing else matters
        }
    }
    const bool dataGiven = !options.dataFolder.empty();
    if (!dataGiven) {
        options.dataFolder = defaultDataFolder();
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

} // namespace bookservice
