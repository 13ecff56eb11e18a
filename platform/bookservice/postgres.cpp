#include "platform/bookservice/postgres.h"

#include <cstdlib>
#include <iostream>
#include <libpq-fe.h>

namespace bookservice {

namespace {

constexpr auto kWaitForConnection = std::chrono::seconds(10);
const char* const kUniqueViolation = "23505";

// Each step brings the schema from its index to the next version; steps are never edited once
// released, only added.
const char* const kSchemaSteps[] = {
    // 1: accounts (names unique without regard to ASCII case), sessions, books and the object
    // prefixes of replaced or deleted books, kept until no reader can still be streaming them.
    R"sql(
CREATE TABLE accounts (
    id bigserial PRIMARY KEY,
    name text NOT NULL,
    email text NOT NULL,
    password_hash text NOT NULL,
    points bigint NOT NULL DEFAULT 0,
    created_at bigint NOT NULL
);
CREATE UNIQUE INDEX accounts_name
    ON accounts (translate(name, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', 'abcdefghijklmnopqrstuvwxyz'));
CREATE TABLE sessions (
    token_digest text PRIMARY KEY,
    account_id bigint NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
    expires_at bigint NOT NULL
);
CREATE INDEX sessions_expiry ON sessions (expires_at);
CREATE TABLE books (
    owner_id bigint NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
    name text NOT NULL,
    version text NOT NULL UNIQUE,
    size bigint NOT NULL,
    published_at bigint NOT NULL,
    PRIMARY KEY (owner_id, name)
);
CREATE TABLE retired_versions (
    version text PRIMARY KEY,
    retired_at bigint NOT NULL
);
)sql",
};

// Keeps concurrent migrations (and nodes starting during one) apart.
const char* const kMigrationLock = "SELECT pg_advisory_xact_lock(7340021)";

std::string withConnectTimeout(std::string conninfo) {
    if (conninfo.find("connect_timeout") == std::string::npos) {
        conninfo += " connect_timeout=5";
    }
    return conninfo;
}

bool succeeded(const PGresult* result) {
    const auto status = PQresultStatus(result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

} // namespace

Rows::~Rows() {
    PQclear(result_);
}

int Rows::count() const {
    return result_ ? PQntuples(result_) : 0;
}

std::string Rows::text(int row, int column) const {
    if (row >= count() || column >= PQnfields(result_)) {
        return {};
    }
    return std::string(PQgetvalue(result_, row, column),
                       static_cast<std::size_t>(PQgetlength(result_, row, column)));
}

std::int64_t Rows::number(int row, int column) const {
    return std::strtoll(text(row, column).c_str(), nullptr, 10);
}

std::int64_t Rows::changed() const {
    return result_ ? std::strtoll(PQcmdTuples(result_), nullptr, 10) : 0;
}

class PostgresPool::Lease {
public:
    explicit Lease(PostgresPool& pool) : pool_(pool), connection(pool.acquire()) {}
    ~Lease() { pool_.release(connection); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;

private:
    PostgresPool& pool_;

public:
    pg_conn* connection;
};

PostgresPool::PostgresPool(std::string conninfo, std::size_t connections)
    : conninfo_(withConnectTimeout(std::move(conninfo))), free_(connections) {}

PostgresPool::~PostgresPool() {
    for (pg_conn* connection : idle_) {
        PQfinish(connection);
    }
}

pg_conn* PostgresPool::acquire() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!available_.wait_for(lock, kWaitForConnection, [this] { return free_ > 0; })) {
        throw StoreUnavailable("every database connection is busy");
    }
    --free_;
    if (idle_.empty()) {
        return nullptr; // opened by the caller's first statement, outside the lock
    }
    pg_conn* connection = idle_.back();
    idle_.pop_back();
    return connection;
}

void PostgresPool::release(pg_conn* connection) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (connection && PQstatus(connection) == CONNECTION_OK) {
            idle_.push_back(connection);
        } else {
            PQfinish(connection);
        }
        ++free_;
    }
    available_.notify_one();
}

// The connection ready for a statement, opened or reset as needed; throws when it cannot be.
pg_conn* PostgresPool::connected(pg_conn* connection) {
    if (!connection) {
        connection = PQconnectdb(conninfo_.c_str());
        // Notices ("already exists, skipping") are no faults; they stay out of the log.
        PQsetNoticeProcessor(
            connection, [](void*, const char*) {}, nullptr);
    } else if (PQstatus(connection) != CONNECTION_OK) {
        PQreset(connection);
    }
    if (!connection || PQstatus(connection) != CONNECTION_OK) {
        const std::string why = connection ? PQerrorMessage(connection) : "out of memory";
        PQfinish(connection);
        throw StoreUnavailable("the database cannot be reached: " + why);
    }
    return connection;
}

Rows PostgresPool::execute(pg_conn*& connection, const std::string& sql,
                           const std::vector<std::string>& parameters, Retry retry) {
    std::vector<const char*> values;
    values.reserve(parameters.size());
    for (const std::string& parameter : parameters) {
        values.push_back(parameter.c_str());
    }
    for (int attempt = 0;; ++attempt) {
        try {
            connection = connected(connection);
        } catch (const StoreUnavailable&) {
            connection = nullptr;
            throw;
        }
        // Without parameters through the simple protocol, which also takes several statements.
        PGresult* result =
            values.empty() ? PQexec(connection, sql.c_str())
                           : PQexecParams(connection, sql.c_str(), static_cast<int>(values.size()),
                                          nullptr, values.data(), nullptr, nullptr, 0);
        if (succeeded(result)) {
            return Rows(result);
        }
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        if (state && std::string(state) == kUniqueViolation) {
            Rows rows(result);
            rows.markDuplicate();
            return rows;
        }
        const std::string why = PQerrorMessage(connection);
        PQclear(result);
        // A connection lost before or during the statement: the statement may run again when
        // running it twice cannot change its answer.
        if (PQstatus(connection) != CONNECTION_OK && retry == Retry::Safe && attempt == 0) {
            continue;
        }
        std::cerr << "bookservice: database: " << why;
        throw StoreUnavailable("the database failed: " + why);
    }
}

Rows PostgresPool::run(const std::string& sql, const std::vector<std::string>& parameters,
                       Retry retry) {
    Lease lease(*this);
    return execute(lease.connection, sql, parameters, retry);
}

void PostgresPool::transaction(const std::function<void(const Runner&)>& work) {
    Lease lease(*this);
    execute(lease.connection, "BEGIN", {}, Retry::Safe);
    try {
        work([&](const std::string& sql, const std::vector<std::string>& parameters) {
            return execute(lease.connection, sql, parameters, Retry::Never);
        });
        execute(lease.connection, "COMMIT", {}, Retry::Never);
    } catch (...) {
        if (lease.connection && PQstatus(lease.connection) == CONNECTION_OK) {
            PQclear(PQexec(lease.connection, "ROLLBACK"));
        }
        throw;
    }
}

int currentSchemaVersion() {
    return static_cast<int>(std::size(kSchemaSteps));
}

int storedSchemaVersion(PostgresPool& pool) {
    const Rows table = pool.run("SELECT to_regclass('schema_version') IS NOT NULL", {});
    if (table.text(0, 0) != "t") {
        return 0;
    }
    const Rows version = pool.run("SELECT version FROM schema_version", {});
    return version.count() ? static_cast<int>(version.number(0, 0)) : 0;
}

int migrateSchema(PostgresPool& pool) {
    pool.transaction([](const PostgresPool::Runner& run) {
        run(kMigrationLock, {});
        run("CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)", {});
        if (run("SELECT 1 FROM schema_version", {}).count() == 0) {
            run("INSERT INTO schema_version VALUES (0)", {});
        }
    });
    for (;;) {
        bool upgraded = false;
        pool.transaction([&](const PostgresPool::Runner& run) {
            run(kMigrationLock, {});
            const int version =
                static_cast<int>(run("SELECT version FROM schema_version", {}).number(0, 0));
            if (version >= currentSchemaVersion()) {
                return;
            }
            run(kSchemaSteps[version], {});
            run("UPDATE schema_version SET version = $1", {std::to_string(version + 1)});
            upgraded = true;
        });
        if (!upgraded) {
            return storedSchemaVersion(pool);
        }
    }
}

} // namespace bookservice
