// book: shows the wall that a published executable carries. The book is an archive appended to this
// program's own file; it is unpacked into a private folder of the user's and its page opened in the
// default browser, where the player plays it from disk.
#include "platform/stub/book_folder.h"
#include "platform/stub/desktop.h"
#include "platform/stub/payload.h"

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace murano::stub;

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

struct Options {
    bool help = false;
    std::string file;
    std::optional<std::string> extractFolder;
    std::string error;
};

// One option: its spellings, the name of the value that follows it ("" for none), its help as
// the usage text shows it, and what it does with the value. The parser and the usage text are
// both made from these rows.
struct OptionRow {
    std::vector<std::string> names;
    std::string valueName;
    std::string help;
    void (*take)(Options& options, const std::string& value);
};

const OptionRow kOptionRows[] = {
    {{"--open"},
     "FILE",
     "read the book from FILE instead of this program",
     [](Options& options, const std::string& value) { options.file = value; }},
    {{"--extract"},
     "FOLDER",
     "unpack the book into FOLDER and print the path of its page;\nnothing is opened",
     [](Options& options, const std::string& value) { options.extractFolder = value; }},
    {{"--help", "-h", "/?"},
     "",
     "show this text",
     [](Options& options, const std::string&) { options.help = true; }},
};

// Where the options' help starts in the usage text.
constexpr std::size_t kHelpColumn = 20;

std::string optionTerm(const OptionRow& row) {
    std::string term;
    for (const std::string& name : row.names) {
        term += (term.empty() ? "" : ", ") + name;
    }
    return row.valueName.empty() ? term : term + " " + row.valueName;
}

// "  TERM  help", the help's further lines indented to the same column.
std::string optionLines(const OptionRow& row) {
    std::string lines = "  " + optionTerm(row);
    lines += std::string(lines.size() + 2 <= kHelpColumn ? kHelpColumn - lines.size() : 2, ' ');
    for (const char c : row.help) {
        lines += c == '\n' ? "\n" + std::string(kHelpColumn, ' ') : std::string(1, c);
    }
    return lines + "\n";
}

std::string usageText() {
    // The synopsis names the options that take a value; the others only ask for this text.
    std::string text = "Usage: book";
    for (const OptionRow& row : kOptionRows) {
        if (!row.valueName.empty()) {
            text += " [" + optionTerm(row) + "]";
        }
    }
    text +=
        "\nShows the book carried by this program (or by FILE, a published executable): unpacks "
        "it\ninto a private folder of yours and opens its page in your web browser.\n\n";
    for (const OptionRow& row : kOptionRows) {
        text += optionLines(row);
    }
    return text + "\nExit status: 0 when the book was shown or unpacked, 1 when it could not be.";
}

const OptionRow* findOption(const std::string& word) {
    for (const OptionRow& row : kOptionRows) {
        for (const std::string& name : row.names) {
            if (name == word) {
                return &row;
            }
        }
    }
    return nullptr;
}

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& word = arguments[i];
        const OptionRow* row = findOption(word);
        if (!row) {
            options.error = "unknown argument: " + word;
        } else if (row->valueName.empty()) {
            row->take(options, std::string());
        } else if (i + 1 < arguments.size()) {
            row->take(options, arguments[++i]);
        } else {
            options.error = word + " needs a value";
        }
    }
    return options;
}

std::string payloadProblem(const Payload& payload, const std::string& file) {
    switch (payload.state) {
    case Payload::State::CannotRead:
        return "Cannot read " + file + ".";
    case Payload::State::NoArchive:
        return file + " carries an empty book.";
    case Payload::State::Truncated:
        return "The book in " + file + " is incomplete: the file was cut short.";
    default:
        return file + " carries no book.";
    }
}

int showBook(const Options& options) {
    const std::string file = options.file.empty() ? ownExecutablePath() : options.file;
    const Payload payload = findPayload(file);
    if (!payload.found()) {
        showError(payloadProblem(payload, file));
        return kFailed;
    }
    murano::zipread::Archive archive;
    if (const auto status = openBook(archive, file, payload); !status.ok()) {
        showError("The book in " + file + " is damaged: " + status.message());
        return kFailed;
    }
    const Unpacked unpacked = options.extractFolder
                                  ? unpackInto(archive, payload, *options.extractFolder)
                                  : unpackPrivately(archive, file, payload);
    if (!unpacked.ok) {
        showError(unpacked.error);
        return kFailed;
    }
    if (options.extractFolder) {
        printLine(unpacked.page);
        return 0;
    }
    if (!openInDefaultBrowser(unpacked.page)) {
        showError("Cannot open " + unpacked.page + " in a web browser.");
        return kFailed;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    leaveConsoleWhenStartedFromDesktop();
    const Options options = parseOptions(programArguments(argc, argv));
    if (options.help) {
        printLine(usageText());
        return 0;
    }
    if (!options.error.empty()) {
        showError(options.error + "\n" + usageText());
        return kBadUsage;
    }
    return showBook(options);
}
