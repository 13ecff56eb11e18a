// Where the book service keeps what it owns: accounts with their sessions, and the published books.
// The request handling sees only these two interfaces, so a deployment that outgrows one machine
// can put accounts in a database server and books in an object store by writing two new classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace bookservice {

// Thrown by a store whose server cannot be reached (or answered with a fault) even after one retry.
// The request is answered 503 and nothing is reported as done.
class StoreUnavailable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
    virtual void removeSession(const std::string& tokenDigest) = 0;
};

// One stored file of a book, handed out in pieces so that serving it never holds it whole.
class BookFile {
public:
    using Writer = std::function<bool(const char* data, std::size_t size)>;
    virtual ~BookFile() = default;
    virtual std::uint64_t size() const = 0;
    // A quoted entity tag that changes whenever the content may have changed.
    virtual std::string etag() const = 0;
    // When the content was stored, in seconds since 1970.
    virtual std::int64_t modified() const = 0;
    // Hands bytes [offset, offset + length) to `write` in pieces; false when reading failed or
    // `write` stopped.
    virtual bool copyRange(std::uint64_t offset, std::uint64_t length,
                           const Writer& write) const = 0;
};

// How a BookStore took in a book it was given to publish (on the shelf, or why not).
enum class ShelvingResult { Published, AlreadyExists, NoSuchBook, Failed };
// A new book never replaces one of the same name; a replacement needs the book to exist.
enum class PublishMode { New, Replace };

struct BookSummary {
    std::string name;
    std::uint64_t size = 0;     // bytes of all its files
    std::int64_t published = 0; // seconds since 1970
};

class BookStore {
public:
    virtual ~BookStore() = default;
    virtual bool hasBook(std::int64_t owner, const std::string& book) = 0;
    // Makes the complete book in `folder` (a local folder the store may take over) visible at once
    // under the owner's name. Readers see either the old book or the new one, never a mix of
    // files within one file, and never half of the new one.
    virtual ShelvingResult publish(const std::filesystem::path& folder, std::int64_t owner,
                                   const std::string& book, PublishMode mode) = 0;
    // The file at `relative` ("/"-separated, already checked to stay inside the book), if any.
    virtual std::unique_ptr<BookFile> openFile(std::int64_t owner, const std::string& book,
                                               const std::string& relative) = 0;
    // The owner's books, by name.
    virtual std::vector<BookSummary> listBooks(std::int64_t owner) = 0;
    // False when there was no such book.
    virtual bool removeBook(std::int64_t owner, const std::string& book) = 0;
};

} // namespace bookservice
