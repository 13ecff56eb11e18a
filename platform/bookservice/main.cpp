// bookservice: the online book service. Parses its command line, opens its stores (the data folder,
// or the servers a configuration file names), then runs one command or serves until SIGTERM or
// SIGINT.
#include "cmake/version.h"
#include "platform/bookservice/accounts.h"
#include "platform/bookservice/cluster_config.h"
#include "platform/bookservice/command_line.h"
#include "platform/bookservice/connections.h"
#include "platform/bookservice/folder_books.h"
#include "platform/bookservice/migrate.h"
#include "platform/bookservice/object_books.h"
#include "platform/bookservice/passwords.h"
#include "platform/bookservice/postgres_accounts.h"
#include "platform/bookservice/service.h"
#include "platform/bookservice/sqlite_accounts.h"
#include "platform/bookservice/upload.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace bookservice;

int fail(const std::string& message) {
    std::cerr << "bookservice: " << message << "\n";
    return 1;
}

// The data folder with its parts, private to the service's user.
bool prepareDataFolder(const std::filesystem::path& data, std::string& error) {
    std::error_code failure;
    for (const auto& folder : {data, data / "books", data / "staging"}) {
        std::filesystem::create_directories(folder, failure);
        if (failure) {
            error = "cannot create " + folder.string() + ": " + failure.message();
            return false;
        }
    }
    std::filesystem::permissions(data, std::filesystem::perms::owner_all, failure);
    return true;
}

// The stores of a node in a cluster, from its configuration file.
struct ClusterStores {
    explicit ClusterStores(const ClusterConfig& config)
        : pool(config.database, config.databaseConnections), store(config.store), accounts(pool),
          books(pool, store) {}
    PostgresPool pool;
    S3Client store;
    PostgresAccounts accounts;
    ObjectBooks books;
};

// The schema must be the one this program knows; migrate-schema makes it so.
bool schemaIsCurrent(PostgresPool& pool, std::string& error) {
    const int stored = storedSchemaVersion(pool);
    if (stored == currentSchemaVersion()) {
        return true;
    }
    error = "the database's schema is version " + std::to_string(stored) + ", this program needs " +
            std::to_string(currentSchemaVersion()) +
            (stored < currentSchemaVersion() ? "; run bookservice migrate-schema first"
                                             : "; run a newer bookservice");
    return false;
}

// One line from standard input, without its line end; not echoed when typed at a terminal.
std::string readPassword(const std::string& name) {
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        std::cerr << "Password for " << name << ": " << std::flush;
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string password;
    std::getline(std::cin, password);
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::cerr << "\n";
    }
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    return password;
}

int addUser(AccountStore& accounts, const ServiceOptions& options) {
    std::string problem;
    if (registerAccount(accounts, options.userName, options.email, readPassword(options.userName),
                        problem) != Registration::Created) {
        return fail(problem);
    }
    std::cout << "Added user " << options.userName << " (id "
              << accounts.accountByName(options.userName)->id << ").\n";
    return 0;
}

// Stops the server on SIGTERM or SIGINT. The signals are blocked in every thread and taken here,
// so the stop runs as ordinary code and not inside a signal handler.
void stopOnSignal(httplib::Server& server, const std::atomic<bool>& finished) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    const timespec tick{0, 100 * 1000 * 1000};
    bool stopping = false;
    while (!finished) {
        const int signal = ::sigtimedwait(&signals, nullptr, &tick);
        if (signal > 0 && !stopping) {
            std::cerr << "bookservice: stopping on " << (signal == SIGTERM ? "SIGTERM" : "SIGINT")
                      << "\n";
            stopping = true;
        }
        if (stopping) {
            server.stop(); // repeated until the server has started, in case it had not yet
        }
    }
}

void blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void configure(httplib::Server& server) {
    // Address reuse for quick restarts, but never a shared port: a second service on the same
    // port must fail to start instead of taking half the connections.
    server.set_socket_options([](socket_t socket) {
        int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

int serve(AccountStore& accounts, BookStore& books, const std::filesystem::path& staging,
          const ServiceOptions& options) {
    clearStaging(staging);
    ServiceSettings settings;
    settings.staging = staging;
    settings.maxUpload = options.maxUpload;
    settings.unpack.maxBytes = options.maxBook;
    BookService service(accounts, books, settings);

    ConnectionLimits limits;
    limits.headTimeout = std::chrono::seconds(options.headTimeoutSeconds);
    limits.perPeer = options.peerConnections;
    GuardedServer server(limits);
    configure(server);
    service.install(server);
    const int port = options.port == 0
                         ? server.bind_to_any_port(options.host)
                         : (server.bind_to_port(options.host, options.port) ? options.port : -1);
    if (port <= 0) {
        return fail("cannot listen on " + options.host + ":" + std::to_string(options.port));
    }
    const bool v6 = options.host.find(':') != std::string::npos;
    std::cout << "bookservice: serving "
              << (options.configFile.empty() ? options.dataFolder : options.configFile)
              << " at http://" << (v6 ? "[" + options.host + "]" : options.host) << ":" << port
              << "/" << std::endl;

    std::atomic<bool> finished{false};
    std::thread stopper(stopOnSignal, std::ref(server), std::cref(finished));
    const bool listened = server.serve();
    finished = true;
    stopper.join();
    std::cerr << "bookservice: stopped\n";
    return listened ? 0 : 1;
}

int runEmbedded(const ServiceOptions& options) {
    std::string error;
    if (!prepareDataFolder(options.dataFolder, error)) {
        return fail(error);
    }
    const std::filesystem::path data = options.dataFolder;
    SqliteAccounts accounts((data / "accounts.sqlite").string(), error);
    if (!accounts.open()) {
        return fail("cannot open the accounts database: " + error);
    }
    if (options.command == ServiceOptions::Command::AddUser) {
        return addUser(accounts, options);
    }
    FolderBooks books(data / "books", data / "staging");
    return serve(accounts, books, data / "staging", options);
}

int migrateFromFolder(ClusterStores& cluster, const ServiceOptions& options) {
    const std::filesystem::path data = options.dataFolder;
    std::string error;
    if (!std::filesystem::is_regular_file(data / "accounts.sqlite")) {
        return fail("no accounts database in " + data.string());
    }
    SqliteAccounts accounts((data / "accounts.sqlite").string(), error);
    if (!accounts.open()) {
        return fail("cannot open the accounts database: " + error);
    }
    FolderBooks books(data / "books", data / "staging");
    const MigrationReport report =
        migrateData(accounts, books, cluster.accounts, cluster.books, std::cout);
    std::cout << "Accounts: " << report.accountsCopied << " copied, " << report.accountsPresent
              << " there already, " << report.accountsInConflict
              << " in conflict. Books: " << report.booksCopied << " copied, " << report.booksPresent
              << " there already.\n";
    return report.accountsInConflict ? 1 : 0;
}

int runClustered(const ServiceOptions& options) {
    ClusterConfig config;
    std::string error;
    if (!readClusterConfig(options.configFile, config, error)) {
        return fail(error);
    }
    ClusterStores cluster(config);
    try {
        if (options.command == ServiceOptions::Command::MigrateSchema) {
            const int version = migrateSchema(cluster.pool);
            if (!cluster.store.createBucket()) {
                return fail("cannot create the bucket " + config.store.bucket);
            }
            std::cout << "Schema version " << version << "; bucket " << config.store.bucket
                      << " ready.\n";
            return 0;
        }
        if (!schemaIsCurrent(cluster.pool, error)) {
            return fail(error);
        }
        switch (options.command) {
        case ServiceOptions::Command::AddUser:
            return addUser(cluster.accounts, options);
        case ServiceOptions::Command::CollectGarbage: {
            const GarbageReport report = cluster.books.collectGarbage(options.graceSeconds);
            std::cout << "Removed " << report.objects << " files of " << report.versions
                      << " unpublished or retired versions.\n";
            return 0;
        }
        case ServiceOptions::Command::Migrate:
            return migrateFromFolder(cluster, options);
        default:
            break;
        }
    } catch (const StoreUnavailable& failure) {
        return fail(failure.what());
    }
    const std::string staging = options.staging.empty() ? config.staging : options.staging;
    if (staging.empty()) {
        return fail("a node needs scratch space: --staging DIR, or staging in " +
                    options.configFile);
    }
    std::error_code failure;
    std::filesystem::create_directories(staging, failure);
    std::filesystem::permissions(staging, std::filesystem::perms::owner_all, failure);
    return serve(cluster.accounts, cluster.books, staging, options);
}

} // namespace

int main(int argc, char** argv) {
    ServiceOptions options;
    std::string error;
    if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "bookservice: " << error << "\nTry 'bookservice --help'.\n";
        return 2;
    }
    if (options.command == ServiceOptions::Command::Help) {
        std::cout << usageText();
        return 0;
    }
    if (options.command == ServiceOptions::Command::Version) {
        std::cout << "bookservice " MURANO_VERSION "\n";
        return 0;
    }
    if (!startCrypto() || !startS3Client()) {
        return fail("the cryptography or HTTP client library cannot start");
    }
    blockStopSignals();
    return options.configFile.empty() ? runEmbedded(options) : runClustered(options);
}
