// Where the book service keeps what it owns: accounts with their sessions, and the published books.
// The request handling sees only these two interfaces, so a deployment that outgrows one machine
// can put accounts in a database server and books in an object store by writing two new classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace bookservice {

struct Account {
    std::int64_t id = 0;
    std::string name;         // UTF-8, unique without regard to ASCII case
    std::string email;        // UTF-8
    std::string passwordHash; // a self-describing slow hash, never the password
    std::int64_t points = 0;
};

class AccountStore {
public:
    virtual ~AccountStore() = default;
    // The new account's id, or nothing when the name is taken.
    virtual std::optional<std::int64_t> addAccount(const std::string& name,
                                                   const std::string& email,
                                                   const std::string& passwordHash) = 0;
    // The account of exactly this name (case and all).
    virtual std::optional<Account> accountByName(const std::string& name) = 0;
    virtual std::optional<Account> accountById(std::int64_t id) = 0;
    // Sessions are kept by a digest of their token, so the store never holds a usable token.
    virtual void addSession(const std::string& tokenDigest, std::int64_t accountId,
                            std::int64_t expiresAt) = 0;
    virtual std::optional<std::int64_t> sessionAccount(const std::string& tokenDigest,
                                                       std::int64_t now) = 0;
};

// One stored file of a book, read in pieces so that serving it never holds it whole.
class BookFile {
public:
    virtual ~BookFile() = default;
    virtual std::uint64_t size() const = 0;
    // Reads up to `length` bytes at `offset` into `buffer`; the count read, or -1 on failure.
    virtual long long readAt(std::uint64_t offset, char* buffer, std::size_t length) const = 0;
};

enum class PublishResult { Published, AlreadyExists, Failed };

class BookStore {
public:
    virtual ~BookStore() = default;
    virtual bool hasBook(std::int64_t owner, const std::string& book) = 0;
    // Makes the complete book in `folder` (a local folder the store may take over) visible at once
    // under the owner's name; an existing book of that name is never replaced.
    virtual PublishResult publish(const std::filesystem::path& folder, std::int64_t owner,
                                  const std::string& book) = 0;
    // The file at `relative` ("/"-separated, already checked to stay inside the book), if any.
    virtual std::unique_ptr<BookFile> openFile(std::int64_t owner, const std::string& book,
                                               const std::string& relative) = 0;
};

} // namespace bookservice
