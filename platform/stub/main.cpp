// book: shows the wall that a published executable carries. The book is an archive appended to this
// program's own file; it is unpacked into a private folder of the user's and its page opened in the
// default browser, where the player plays it from disk.
#include "platform/stub/book_folder.h"
#include "platform/stub/desktop.h"
#include "platform/stub/payload.h"

#include <optional>

namespace {

using namespace murano::stub;

constexpr int kFailed = 1;
constexpr int kBadUsage = 2;

const char* const kUsage =
    "Usage: book [--open FILE] [--extract FOLDER]\n"
    "Shows the book carried by this program (or by FILE, a published executable): unpacks it\n"
    "into a private folder of yours and opens its page in your web browser.\n"
    "\n"
    "  --open FILE       read the book from FILE instead of this program\n"
    "  --extract FOLDER  unpack the book into FOLDER and print the path of its page;\n"
    "                    nothing is opened\n"
    "  --help            show this text\n"
    "\n"
    "Exit status: 0 when the book was shown or unpacked, 1 when it could not be.";

struct Options {
    bool help = false;
    std::string file;
    std::optional<std::string> extractFolder;
    std::string error;
};

Options parseOptions(const std::vector<std::string>& arguments) {
    Options options;
    for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
        const std::string& word = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (word == "--help" || word == "-h" || word == "/?") {
            options.help = true;
        } else if (word == "--open" && hasValue) {
            options.file = arguments[++i];
        } else if (word == "--extract" && hasValue) {
            options.extractFolder = arguments[++i];
        } else {
            options.error = word == "--open" || word == "--extract" ? word + " needs a value"
                                                                    : "unknown argument: " + word;
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
        printLine(kUsage);
        return 0;
    }
    if (!options.error.empty()) {
        showError(options.error + "\n" + kUsage);
        return kBadUsage;
    }
    return showBook(options);
}
