// Books in an S3-compatible object store, with one PostgreSQL row per book naming the version that
// is the book. A publish stores every file under a fresh version prefix first and then writes the
// row, so readers see the old version or the whole new one; prefixes no row names (failed or
// killed uploads, replaced or deleted books) are removed by collectGarbage().
#pragma once

#include "platform/bookservice/postgres.h"
#include "platform/bookservice/s3_client.h"
#include "platform/bookservice/storage.h"

namespace bookservice {

struct GarbageReport {
    std::size_t versions = 0; // version prefixes removed
    std::size_t objects = 0;  // objects removed
};

class ObjectBooks : public BookStore {
public:
    ObjectBooks(PostgresPool& pool, S3Client& store) : pool_(pool), store_(store) {}

    bool hasBook(std::int64_t owner, const std::string& book) override;
    ShelvingResult publish(const std::filesystem::path& folder, std::int64_t owner,
                           const std::string& book, PublishMode mode) override;
    std::unique_ptr<BookFile> openFile(std::int64_t owner, const std::string& book,
                                       const std::string& relative) override;
    std::vector<BookSummary> listBooks(std::int64_t owner) override;
    bool removeBook(std::int64_t owner, const std::string& book) override;

    // Removes the prefixes that no book names: those of uploads that never became a book once
    // they are older than `graceSeconds`, and those of replaced or deleted books `graceSeconds`
    // after they stopped being the book (readers may still be streaming them until then).
    GarbageReport collectGarbage(std::int64_t graceSeconds);

private:
    // Stores every file of `folder` under a new version; its name and the bytes stored.
    std::pair<std::string, std::uint64_t> storeVersion(const std::filesystem::path& folder);
    // Removes a version's objects now, as far as the store lets it; gc finds what is left.
    std::size_t discardVersion(const std::string& version);

    PostgresPool& pool_;
    S3Client& store_;
};

} // namespace bookservice
