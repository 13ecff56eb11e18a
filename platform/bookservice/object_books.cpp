#include "platform/bookservice/object_books.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <sodium.h>

namespace bookservice {

namespace {

const std::string kBooksPrefix = "books/";

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A version name begins with its creation time, so that gc can tell an upload still under way
// from one that failed long ago: 12 hex digits of milliseconds, "-", 16 random hex digits.
std::string newVersion() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    unsigned char random[8];
    randombytes_buf(random, sizeof random);
    char hex[2 * sizeof random + 1];
    sodium_bin2hex(hex, sizeof hex, random, sizeof random);
    char name[40];
    std::snprintf(name, sizeof name, "%012llx-%s", static_cast<unsigned long long>(ms), hex);
    return name;
}

// Seconds since 1970 at which a version was created; 0 for a name not made by newVersion().
std::int64_t versionCreated(const std::string& version) {
    if (version.size() < 13 || version[12] != '-') {
        return 0;
    }
    return static_cast<std::int64_t>(std::strtoull(version.substr(0, 12).c_str(), nullptr, 16) /
                                     1000);
}

std::string versionPrefix(const std::string& version) {
    return kBooksPrefix + version + "/";
}

class ObjectFile : public BookFile {
public:
    ObjectFile(S3Client& store, std::string key, S3Object object)
        : store_(store), key_(std::move(key)), object_(std::move(object)) {}
    std::uint64_t size() const override { return object_.size; }
    std::string etag() const override { return object_.etag; }
    std::int64_t modified() const override { return object_.modified; }
    bool copyRange(std::uint64_t offset, std::uint64_t length, const Writer& write) const override {
        try {
            return store_.get(key_, offset, length, write);
        } catch (const StoreUnavailable& failure) {
            std::cerr << "bookservice: " << failure.what() << "\n";
            return false;
        }
    }

private:
    S3Client& store_;
    std::string key_;
    S3Object object_;
};

} // namespace

bool ObjectBooks::hasBook(std::int64_t owner, const std::string& book) {
    return pool_
               .run("SELECT 1 FROM books WHERE owner_id = $1 AND name = $2",
                    {std::to_string(owner), book})
               .count() > 0;
}

std::pair<std::string, std::uint64_t>
ObjectBooks::storeVersion(const std::filesystem::path& folder) {
    const std::string version = newVersion();
    std::uint64_t bytes = 0;
    try {
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator entry(folder, error), end;
             !error && entry != end; entry.increment(error)) {
            if (!entry->is_regular_file()) {
                continue;
            }
            const std::string relative = entry->path().lexically_relative(folder).generic_string();
            store_.putFile(versionPrefix(version) + relative, entry->path());
            bytes += entry->file_size();
        }
        if (error) {
            throw StoreUnavailable("cannot read the unpacked book: " + error.message());
        }
    } catch (const StoreUnavailable&) {
        discardVersion(version);
        throw;
    }
    return {version, bytes};
}

std::size_t ObjectBooks::discardVersion(const std::string& version) {
    std::size_t removed = 0;
    try {
        for (const std::string& key : store_.list(versionPrefix(version))) {
            store_.remove(key);
            ++removed;
        }
    } catch (const StoreUnavailable& failure) {
        std::cerr << "bookservice: version " << version << " left for gc: " << failure.what()
                  << "\n";
    }
    return removed;
}

ShelvingResult ObjectBooks::publish(const std::filesystem::path& folder, std::int64_t owner,
                                    const std::string& book, PublishMode mode) {
    const auto [version, bytes] = storeVersion(folder);
    const std::string now = std::to_string(secondsNow());
    ShelvingResult result = ShelvingResult::Published;
    // Should the database fail here, the version stays: its row may have been written. gc
    // removes it if it was not.
    if (mode == PublishMode::New) {
        // Retried once on a lost connection; the row is then read back, since a first try that
        // went through makes the second find its own row.
        const Rows inserted =
            pool_.run("INSERT INTO books (owner_id, name, version, size, published_at) "
                      "VALUES ($1, $2, $3, $4, $5) ON CONFLICT DO NOTHING",
                      {std::to_string(owner), book, version, std::to_string(bytes), now});
        const bool ours =
            inserted.changed() == 1 ||
            pool_.run("SELECT 1 FROM books WHERE owner_id = $1 AND name = $2 AND version = $3",
                      {std::to_string(owner), book, version})
                    .count() == 1;
        result = ours ? ShelvingResult::Published : ShelvingResult::AlreadyExists;
    } else {
        pool_.transaction([&](const PostgresPool::Runner& run) {
            const Rows old = run("SELECT version FROM books WHERE owner_id = $1 AND name = $2 "
                                 "FOR UPDATE",
                                 {std::to_string(owner), book});
            if (old.count() == 0) {
                result = ShelvingResult::NoSuchBook;
                return;
            }
            run("UPDATE books SET version = $3, size = $4, published_at = $5 "
                "WHERE owner_id = $1 AND name = $2",
                {std::to_string(owner), book, version, std::to_string(bytes), now});
            run("INSERT INTO retired_versions (version, retired_at) VALUES ($1, $2)",
                {old.text(0, 0), now});
        });
    }
    if (result != ShelvingResult::Published) {
        discardVersion(version);
    }
    return result;
}

std::unique_ptr<BookFile> ObjectBooks::openFile(std::int64_t owner, const std::string& book,
                                                const std::string& relative) {
    const Rows rows = pool_.run("SELECT version FROM books WHERE owner_id = $1 AND name = $2",
                                {std::to_string(owner), book});
    if (rows.count() == 0) {
        return nullptr;
    }
    const std::string key = versionPrefix(rows.text(0, 0)) + relative;
    auto object = store_.head(key);
    if (!object) {
        return nullptr;
    }
    return std::make_unique<ObjectFile>(store_, key, *object);
}

std::vector<BookSummary> ObjectBooks::listBooks(std::int64_t owner) {
    const Rows rows = pool_.run("SELECT name, size, published_at FROM books WHERE owner_id = $1 "
                                "ORDER BY name COLLATE \"C\"",
                                {std::to_string(owner)});
    std::vector<BookSummary> books;
    for (int row = 0; row < rows.count(); ++row) {
        books.push_back({rows.text(row, 0), static_cast<std::uint64_t>(rows.number(row, 1)),
                         rows.number(row, 2)});
    }
    return books;
}

bool ObjectBooks::removeBook(std::int64_t owner, const std::string& book) {
    bool removed = false;
    pool_.transaction([&](const PostgresPool::Runner& run) {
        const Rows old =
            run("DELETE FROM books WHERE owner_id = $1 AND name = $2 RETURNING version",
                {std::to_string(owner), book});
        if (old.count() == 0) {
            return;
        }
        run("INSERT INTO retired_versions (version, retired_at) VALUES ($1, $2)",
            {old.text(0, 0), std::to_string(secondsNow())});
        removed = true;
    });
    return removed;
}

GarbageReport ObjectBooks::collectGarbage(std::int64_t graceSeconds) {
    const std::int64_t now = secondsNow();
    // Listed before the rows are read: a version published meanwhile is then found named.
    std::map<std::string, std::vector<std::string>> versions;
    for (const std::string& key : store_.list(kBooksPrefix)) {
        const std::size_t slash = key.find('/', kBooksPrefix.size());
        if (slash != std::string::npos) {
            versions[key.substr(kBooksPrefix.size(), slash - kBooksPrefix.size())].push_back(key);
        }
    }
    std::map<std::string, std::int64_t> retired;
    const Rows retiredRows = pool_.run("SELECT version, retired_at FROM retired_versions", {});
    for (int row = 0; row < retiredRows.count(); ++row) {
        retired[retiredRows.text(row, 0)] = retiredRows.number(row, 1);
    }
    const Rows named = pool_.run("SELECT version FROM books", {});
    for (int row = 0; row < named.count(); ++row) {
        versions.erase(named.text(row, 0));
    }
    GarbageReport report;
    std::vector<std::string> gone;
    for (const auto& [version, keys] : versions) {
        const auto found = retired.find(version);
        const std::int64_t since = found != retired.end() ? found->second : versionCreated(version);
        if (since + graceSeconds > now) {
            continue;
        }
        for (const std::string& key : keys) {
            store_.remove(key);
            ++report.objects;
        }
        ++report.versions;
        gone.push_back(version);
    }
    // Rows of retired versions whose objects are all gone now.
    for (const auto& [version, at] : retired) {
        const bool removed = std::find(gone.begin(), gone.end(), version) != gone.end();
        if (at + graceSeconds <= now && (removed || versions.count(version) == 0)) {
            pool_.run("DELETE FROM retired_versions WHERE version = $1", {version});
        }
    }
    return report;
}

} // namespace bookservice
