// bookservice's help and its manual page, both made from the option table.
#include "cmake/version.h"
#include "platform/bookservice/command_line.h"
#include "platform/roff/roff.h"

namespace bookservice {

namespace {

// The ways to call the program, after its name; the first is the service itself.
const std::vector<std::string> kUsage = {
    "[OPTIONS]",
    "[--data DIR | --config FILE] add-user NAME EMAIL",
    "--config FILE migrate-schema",
    "--config FILE gc [--grace SECONDS]",
    "migrate --from DATA_DIR --to FILE",
};

// Where the options' help starts in the terminal.
constexpr std::size_t kHelpColumn = 22;

const char* const kCommandsHelp =
    "add-user creates an account; its password is read from standard input (one line).\n"
    "migrate-schema creates or upgrades the database's tables and the store's bucket.\n"
    "gc removes stored files no book names: of failed uploads once older than --grace\n"
    "(default 3600 seconds), of replaced and deleted books --grace after.\n"
    "migrate copies accounts (sessions excepted) and books from a data folder into the\n"
    "servers of a configuration file; what is there already is kept, so it may run twice.\n";

const char* const kDescription = R"(.B bookservice
serves the walls that
.BR murano (1)
uploads: accounts with a register page and sessions, the upload of books, and
the published books under
.BI /u/ ID /flipbook/ BOOK /\fR.
It logs one line per request to standard error and stops cleanly on SIGTERM or
SIGINT.
The accounts live in an SQLite database and the books in folders, all in the
data folder; with
.B \-\-config
they live in PostgreSQL and an S3 object store instead, and several nodes can
serve the same books.
.PP
.B add\-user
creates an account; its password is read from standard input (one line; not
echoed when typed at a terminal).
.PP
.B migrate\-schema
creates or upgrades the database's tables and the store's bucket.
.B gc
removes stored files no book names: of failed uploads once older than
.B \-\-grace
(default 3600 seconds), of replaced and deleted books that long after.
.B migrate
copies accounts (sessions excepted) and books from a data folder into the
servers of a configuration file; what is there already is kept, so it may run
twice.
.PP
.B bookservice\-add\-user
does the same for the installed service: it runs
.B add\-user
as the service's user on the service's data folder, so that the database stays
writable by the service.
Run it as root.
)";

const char* const kAfterOptions = R"(.PP
A
.I SIZE
is a number of bytes with an optional K, M or G (powers of 1024).
Options take their value as the next word or after an equals sign
.RB ( \-\-listen=0.0.0.0:80 ).
.SH EXIT STATUS
.TP
.B 0
The service stopped cleanly, or the account was added.
.TP
.B 1
The service could not start (data folder, database, address) or the account
could not be added.
.TP
.B 2
A bad command line.
.SH THE INSTALLED SERVICE
The package runs the service as the system user
.B bookservice
from the systemd unit
.BR bookservice.service ,
on the data folder
.I /var/lib/bookservice
and on port 8080 of every address.
.TP
.I /etc/default/bookservice
.B BOOKSERVICE_OPTIONS
adds options to the service's command line, after those of the unit, so that
they win; for example
.B BOOKSERVICE_OPTIONS="\-\-listen 127.0.0.1:8080 \-\-max\-upload 1G"
and then
.BR "systemctl restart bookservice" .
The file is kept across upgrades.
.TP
.I /var/lib/bookservice/
The data folder: the accounts database
.IR accounts.sqlite ,
the books in
.I books/
and uploads in progress in
.IR staging/ .
.PP
Removing the package keeps the data folder, the configuration and the user;
purging it removes all three.
.SH EXAMPLES
.nf
sudo bookservice\-add\-user ada ada@example.org
bookservice \-\-data /tmp/books \-\-listen 127.0.0.1:0
.fi
.SH SEE ALSO
.BR murano (1),
.BR systemctl (1)
)";

std::string joined(const std::vector<std::string>& names, const std::string& between) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : between) + name;
    }
    return text;
}

// "  --listen ADDR:PORT  where to ...": the help beside the option, or below it when the option
// reaches the column.
std::string helpRow(const OptionRow& row) {
    std::string label = "  " + joined(row.names, ", ");
    if (!row.valueName.empty()) {
        label += " " + row.valueName;
    }
    const std::string indent(kHelpColumn, ' ');
    std::string text = label.size() + 2 <= kHelpColumn
                           ? label + std::string(kHelpColumn - label.size(), ' ')
                           : label + "\n" + indent;
    for (const char c : row.help) {
        text += c;
        if (c == '\n') {
            text += indent;
        }
    }
    return text + "\n";
}

} // namespace

std::string usageText() {
    std::string text;
    for (const std::string& line : kUsage) {
        text += (text.empty() ? "Usage: bookservice " : "       bookservice ") + line + "\n";
    }
    text += "\n"
            "Serves Quorvex Murano's online books: accounts, uploads and the published walls.\n"
            "Logs one line per request to standard error; stops cleanly on SIGTERM or SIGINT.\n"
            "\n"
            "Options:\n";
    for (const OptionRow& row : optionTable()) {
        text += helpRow(row);
    }
    return text + "\n" + kCommandsHelp;
}

std::string manPage() {
    namespace roff = murano::roff;
    std::string synopsis;
    for (const std::string& line : kUsage) {
        synopsis += "bookservice " + line + "\n";
    }
    synopsis += "bookservice --help | --version\nbookservice-add-user NAME EMAIL";
    std::string options;
    for (const OptionRow& row : optionTable()) {
        options += roff::option(row.names, row.valueName, row.manual);
    }
    return roff::header("bookservice", 8, "Quorvex Murano " MURANO_VERSION) +
           roff::section("NAME") + "bookservice \\- the online book service of Quorvex Murano\n" +
           roff::section("SYNOPSIS") + roff::verbatim(synopsis) + roff::section("DESCRIPTION") +
           kDescription + roff::section("OPTIONS") + options + kAfterOptions;
}

} // namespace bookservice
