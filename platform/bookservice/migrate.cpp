#include "platform/bookservice/migrate.h"

namespace bookservice {

MigrationReport migrateData(SqliteAccounts& fromAccounts, FolderBooks& fromBooks,
                            PostgresAccounts& toAccounts, ObjectBooks& toBooks,
                            std::ostream& progress) {
    MigrationReport report;
    for (const SqliteAccounts::Stored& stored : fromAccounts.allAccounts()) {
        const Account& account = stored.account;
        switch (toAccounts.importAccount(account, stored.createdAt)) {
        case PostgresAccounts::Import::Added:
            ++report.accountsCopied;
            progress << "account " << account.id << " " << account.name << ": copied\n";
            break;
        case PostgresAccounts::Import::Present:
            ++report.accountsPresent;
            progress << "account " << account.id << " " << account.name << ": there already\n";
            break;
        case PostgresAccounts::Import::NameTaken:
            ++report.accountsInConflict;
            progress << "account " << account.id << " " << account.name
                     << ": another account holds its id or name there; not copied, nor its "
                        "books\n";
            continue;
        }
        for (const BookSummary& book : fromBooks.listBooks(account.id)) {
            if (toBooks.hasBook(account.id, book.name)) {
                ++report.booksPresent;
                progress << "  book " << book.name << ": there already\n";
                continue;
            }
            const ShelvingResult result =
                toBooks.publish(fromBooks.bookFolder(account.id, book.name), account.id, book.name,
                                PublishMode::New);
            const bool copied = result == ShelvingResult::Published;
            ++(copied ? report.booksCopied : report.booksPresent);
            progress << "  book " << book.name << " (" << book.size
                     << " bytes): " << (copied ? "copied" : "there already") << "\n";
        }
    }
    return report;
}

} // namespace bookservice
