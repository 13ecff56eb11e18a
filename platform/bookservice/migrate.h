// Copies what a one-machine service holds (its data folder) into the servers of a cluster:
// accounts with their ids and password hashes as they are (so books keep their addresses and
// passwords keep working), and every book; sessions are not copied, users log in again. What the
// cluster holds already is kept, so a second run copies only what the first did not.
#pragma once

#include "platform/bookservice/folder_books.h"
#include "platform/bookservice/object_books.h"
#include "platform/bookservice/postgres_accounts.h"
#include "platform/bookservice/sqlite_accounts.h"

#include <ostream>

namespace bookservice {

struct MigrationReport {
    std::size_t accountsCopied = 0;
    std::size_t accountsPresent = 0;
    std::size_t accountsInConflict = 0; // their id or name belongs to another account there
    std::size_t booksCopied = 0;
    std::size_t booksPresent = 0;
};

// Progress, one line per account and book, goes to `progress`.
MigrationReport migrateData(SqliteAccounts& fromAccounts, FolderBooks& fromBooks,
                            PostgresAccounts& toAccounts, ObjectBooks& toBooks,
                            std::ostream& progress);

} // namespace bookservice
