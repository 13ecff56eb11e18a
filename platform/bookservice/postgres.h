// A small pool of PostgreSQL connections shared by a node's request threads. A connection found
// broken is reset and a statement that may safely run again is retried once; when the server
// still cannot be reached the statement throws StoreUnavailable, so a request answers 503 and
// never reports what did not happen.
#pragma once

#include "platform/bookservice/storage.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct pg_conn;
struct pg_result;

namespace bookservice {

// One statement's result, freed with it.
class Rows {
public:
    explicit Rows(pg_result* result) : result_(result) {}
    ~Rows();
    Rows(Rows&& other) noexcept : result_(other.result_), duplicate_(other.duplicate_) {
        other.result_ = nullptr;
    }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    int count() const;
    // A field's value; empty or 0 for one the result does not have.
    std::string text(int row, int column) const;
    std::int64_t number(int row, int column) const;
    // Statements that changed rows: how many.
    std::int64_t changed() const;
    // Whether the statement failed on a unique constraint.
    bool duplicate() const { return duplicate_; }
    void markDuplicate() { duplicate_ = true; }

private:
    pg_result* result_;
    bool duplicate_ = false;
};

enum class Retry { Safe, Never };

class PostgresPool {
public:
    // `conninfo` is a libpq connection string; it is never written anywhere.
    PostgresPool(std::string conninfo, std::size_t connections);
    ~PostgresPool();
    PostgresPool(const PostgresPool&) = delete;
    PostgresPool& operator=(const PostgresPool&) = delete;

    // Runs one statement with text parameters ($1, $2, ...). A unique-constraint failure comes
    // back marked duplicate(); any other failure throws StoreUnavailable.
    Rows run(const std::string& sql, const std::vector<std::string>& parameters,
             Retry retry = Retry::Safe);
    // Runs statements on one connection inside one transaction; `work` gets a runner for them.
    using Runner = std::function<Rows(const std::string&, const std::vector<std::string>&)>;
    void transaction(const std::function<void(const Runner&)>& work);

private:
    class Lease;
    pg_conn* acquire();
    void release(pg_conn* connection);
    pg_conn* connected(pg_conn* connection);
    Rows execute(pg_conn*& connection, const std::string& sql,
                 const std::vector<std::string>& parameters, Retry retry);

    std::string conninfo_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::vector<pg_conn*> idle_;
    std::size_t free_; // connections that may still be opened or are idle
};

// The schema version this program needs.
int currentSchemaVersion();
// The version the database holds (0: none yet).
int storedSchemaVersion(PostgresPool& pool);
// Creates or upgrades the schema step by step, each step in its own transaction, with nodes and
// other runs kept out by a lock. The version reached.
int migrateSchema(PostgresPool& pool);

} // namespace bookservice
