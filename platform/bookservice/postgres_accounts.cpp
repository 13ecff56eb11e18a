#include "platform/bookservice/postgres_accounts.h"

#include <chrono>

namespace bookservice {

namespace {

const std::string kSelectAccount =
    "SELECT id, name, email, password_hash, points FROM accounts WHERE ";

std::optional<Account> accountFrom(const Rows& rows) {
    if (rows.count() == 0) {
        return std::nullopt;
    }
    return Account{rows.number(0, 0), rows.text(0, 1), rows.text(0, 2), rows.text(0, 3),
                   rows.number(0, 4)};
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::optional<std::int64_t> PostgresAccounts::addAccount(const std::string& name,
                                                         const std::string& email,
                                                         const std::string& passwordHash) {
    // Never retried: a lost answer to a committed insert would read as "name taken".
    const Rows rows =
        pool_.run("INSERT INTO accounts (name, email, password_hash, created_at) "
                  "VALUES ($1, $2, $3, $4) RETURNING id",
                  {name, email, passwordHash, std::to_string(secondsNow())}, Retry::Never);
    if (rows.duplicate()) {
        return std::nullopt;
    }
    return rows.number(0, 0);
}

std::optional<Account> PostgresAccounts::accountByName(const std::string& name) {
    return accountFrom(pool_.run(kSelectAccount + "name = $1", {name}));
}

std::optional<Account> PostgresAccounts::accountById(std::int64_t id) {
    return accountFrom(pool_.run(kSelectAccount + "id = $1", {std::to_string(id)}));
}

void PostgresAccounts::addSession(const std::string& tokenDigest, std::int64_t accountId,
                                  std::int64_t expiresAt) {
    pool_.run("DELETE FROM sessions WHERE expires_at <= $1", {std::to_string(secondsNow())});
    const Rows rows =
        pool_.run("INSERT INTO sessions (token_digest, account_id, expires_at) VALUES ($1, $2, $3)",
                  {tokenDigest, std::to_string(accountId), std::to_string(expiresAt)});
    if (rows.duplicate()) {
        // Only a retried insert whose first try went through can meet its own token.
        throw StoreUnavailable("the session may not have been stored");
    }
}

std::optional<std::int64_t> PostgresAccounts::sessionAccount(const std::string& tokenDigest,
                                                             std::int64_t now) {
    const Rows rows =
        pool_.run("SELECT account_id FROM sessions WHERE token_digest = $1 AND expires_at > $2",
                  {tokenDigest, std::to_string(now)});
    return rows.count() ? std::optional<std::int64_t>(rows.number(0, 0)) : std::nullopt;
}

void PostgresAccounts::removeSession(const std::string& tokenDigest) {
    pool_.run("DELETE FROM sessions WHERE token_digest = $1", {tokenDigest});
}

PostgresAccounts::Import PostgresAccounts::importAccount(const Account& account,
                                                         std::int64_t createdAt) {
    const Rows same =
        pool_.run("SELECT name FROM accounts WHERE id = $1", {std::to_string(account.id)});
    if (same.count()) {
        return same.text(0, 0) == account.name ? Import::Present : Import::NameTaken;
    }
    Import outcome = Import::Added;
    pool_.transaction([&](const PostgresPool::Runner& run) {
        const Rows inserted =
            run("INSERT INTO accounts (id, name, email, password_hash, points, created_at) "
                "VALUES ($1, $2, $3, $4, $5, $6)",
                {std::to_string(account.id), account.name, account.email, account.passwordHash,
                 std::to_string(account.points), std::to_string(createdAt)});
        if (inserted.duplicate()) {
            outcome = Import::NameTaken;
            return;
        }
        // New accounts made later must not take ids the copied ones hold.
        run("SELECT setval('accounts_id_seq', GREATEST((SELECT max(id) FROM accounts), "
            "(SELECT last_value FROM accounts_id_seq)))",
            {});
    });
    return outcome;
}

} // namespace bookservice
