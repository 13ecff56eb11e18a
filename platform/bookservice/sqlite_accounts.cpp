#include "platform/bookservice/sqlite_accounts.h"

#include <chrono>
#include <sqlite3.h>

namespace bookservice {

namespace {

// User names are unique without regard to ASCII case, so "Bob" cannot pose as "bob"; logging in
// still takes the name exactly as it was registered.
const char* const kSchema = R"sql(
PRAGMA journal_mode = WAL;
PRAGMA synchronous = NORMAL;
PRAGMA foreign_keys = ON;
CREATE TABLE IF NOT EXISTS accounts (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    name TEXT NOT NULL,
    email TEXT NOT NULL,
    password_hash TEXT NOT NULL,
    points INTEGER NOT NULL DEFAULT 0,
    created_at INTEGER NOT NULL
);
CREATE UNIQUE INDEX IF NOT EXISTS accounts_name ON accounts (name COLLATE NOCASE);
CREATE TABLE IF NOT EXISTS sessions (
    token_digest TEXT PRIMARY KEY,
    account_id INTEGER NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
    expires_at INTEGER NOT NULL
);
)sql";

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int index, std::int64_t number) {
        sqlite3_bind_int64(statement_, index, number);
        return *this;
    }
    int step() { return statement_ ? sqlite3_step(statement_) : SQLITE_ERROR; }
    std::int64_t number(int column) const { return sqlite3_column_int64(statement_, column); }
    std::string text(int column) const {
        const auto* bytes = sqlite3_column_text(statement_, column);
        return bytes
                   ? std::string(reinterpret_cast<const char*>(bytes),
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                   : std::string();
    }

private:
    sqlite3_stmt* statement_ = nullptr;
};

const std::string kSelectAccount =
    "SELECT id, name, email, password_hash, points FROM accounts WHERE ";

std::optional<Account> accountFrom(Statement& select) {
    if (select.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return Account{select.number(0), select.text(1), select.text(2), select.text(3),
                   select.number(4)};
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

SqliteAccounts::SqliteAccounts(const std::string& path, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        error = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 5000);
    char* message = nullptr;
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "cannot set up the database";
        sqlite3_free(message);
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

SqliteAccounts::~SqliteAccounts() {
    sqlite3_close(db_);
}

std::optional<std::int64_t> SqliteAccounts::addAccount(const std::string& name,
                                                       const std::string& email,
                                                       const std::string& passwordHash) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement insert(db_, "INSERT INTO accounts (name, email, password_hash, created_at) "
                          "VALUES (?1, ?2, ?3, ?4)");
    insert.bind(1, name).bind(2, email).bind(3, passwordHash).bind(4, secondsNow());
    if (insert.step() != SQLITE_DONE) {
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db_);
}

std::optional<Account> SqliteAccounts::accountByName(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement select(db_, (kSelectAccount + "name = ?1").c_str());
    select.bind(1, name);
    return accountFrom(select);
}

std::optional<Account> SqliteAccounts::accountById(std::int64_t id) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement select(db_, (kSelectAccount + "id = ?1").c_str());
    select.bind(1, id);
    return accountFrom(select);
}

void SqliteAccounts::addSession(const std::string& tokenDigest, std::int64_t accountId,
                                std::int64_t expiresAt) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement(db_, "DELETE FROM sessions WHERE expires_at <= ?1").bind(1, secondsNow()).step();
    Statement insert(
        db_, "INSERT INTO sessions (token_digest, account_id, expires_at) VALUES (?1, ?2, ?3)");
    insert.bind(1, tokenDigest).bind(2, accountId).bind(3, expiresAt).step();
}

std::optional<std::int64_t> SqliteAccounts::sessionAccount(const std::string& tokenDigest,
                                                           std::int64_t now) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement select(db_, "SELECT account_id FROM sessions WHERE token_digest = ?1 AND "
                          "expires_at > ?2");
    select.bind(1, tokenDigest).bind(2, now);
    if (select.step() != SQLITE_ROW) {
        return std::nullopt;
    }
    return select.number(0);
}

void SqliteAccounts::removeSession(const std::string& tokenDigest) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement(db_, "DELETE FROM sessions WHERE token_digest = ?1").bind(1, tokenDigest).step();
}

std::vector<SqliteAccounts::Stored> SqliteAccounts::allAccounts() {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement select(db_, "SELECT id, name, email, password_hash, points, created_at FROM accounts "
                          "ORDER BY id");
    std::vector<Stored> accounts;
    while (select.step() == SQLITE_ROW) {
        accounts.push_back({Account{select.number(0), select.text(1), select.text(2),
                                    select.text(3), select.number(4)},
                            select.number(5)});
    }
    return accounts;
}

} // namespace bookservice
