// Accounts and sessions in one SQLite file in write-ahead-log mode: readers never wait for the one
// writer, and a killed server leaves a consistent database behind.
#pragma once

#include "platform/bookservice/storage.h"

#include <mutex>
#include <string>
#include <vector>

struct sqlite3;

namespace bookservice {

class SqliteAccounts : public AccountStore {
public:
    // Opens or creates the database; `error` says why when the result is not open().
    SqliteAccounts(const std::string& path, std::string& error);
    ~SqliteAccounts() override;
    SqliteAccounts(const SqliteAccounts&) = delete;
    SqliteAccounts& operator=(const SqliteAccounts&) = delete;

    bool open() const { return db_ != nullptr; }

    std::optional<std::int64_t> addAccount(const std::string& name, const std::string& email,
                                           const std::string& passwordHash) override;
    std::optional<Account> accountByName(const std::string& name) override;
    std::optional<Account> accountById(std::int64_t id) override;
    void addSession(const std::string& tokenDigest, std::int64_t accountId,
                    std::int64_t expiresAt) override;
    std::optional<std::int64_t> sessionAccount(const std::string& tokenDigest,
                                               std::int64_t now) override;
    void removeSession(const std::string& tokenDigest) override;

    struct Stored {
        Account account;
        std::int64_t createdAt = 0;
    };
    // Every account, by id, for copying them elsewhere.
    std::vector<Stored> allAccounts();

private:
    sqlite3* db_ = nullptr;
    std::mutex mutex_; // one connection, used by one request at a time
};

} // namespace bookservice
