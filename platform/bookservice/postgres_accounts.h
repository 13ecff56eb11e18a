// Accounts and sessions in PostgreSQL, shared by every node: a session one node opened is honoured
// by all, and its expiry ends it everywhere.
#pragma once

#include "platform/bookservice/postgres.h"
#include "platform/bookservice/storage.h"

namespace bookservice {

class PostgresAccounts : public AccountStore {
public:
    explicit PostgresAccounts(PostgresPool& pool) : pool_(pool) {}

    std::optional<std::int64_t> addAccount(const std::string& name, const std::string& email,
                                           const std::string& passwordHash) override;
    std::optional<Account> accountByName(const std::string& name) override;
    std::optional<Account> accountById(std::int64_t id) override;
    void addSession(const std::string& tokenDigest, std::int64_t accountId,
                    std::int64_t expiresAt) override;
    std::optional<std::int64_t> sessionAccount(const std::string& tokenDigest,
                                               std::int64_t now) override;
    void removeSession(const std::string& tokenDigest) override;

    enum class Import { Added, Present, NameTaken };
    // Copies an account from another store with its id and hash as they are. Present: the same
    // account (id and name) is there already; NameTaken: another account holds the id or name.
    Import importAccount(const Account& account, std::int64_t createdAt);

private:
    PostgresPool& pool_;
};

} // namespace bookservice
