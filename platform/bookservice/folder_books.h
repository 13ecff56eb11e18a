// Books as folders on the local disk: <root>/u/<owner id>/flipbook/<book>/...
#pragma once

#include "platform/bookservice/storage.h"

namespace bookservice {

class FolderBooks : public BookStore {
public:
    // `staging` lies on the same file system as `root`; replaced and deleted books pass through it.
    FolderBooks(std::filesystem::path root, std::filesystem::path staging)
        : root_(std::move(root)), staging_(std::move(staging)) {}

    bool hasBook(std::int64_t owner, const std::string& book) override;
    // `folder` must lie on the same file system as the root; it is flushed to the disk and renamed
    // into place, so a crash at any moment leaves either no book or the whole book.
    // A replacement swaps the two folders with one rename.
    ShelvingResult publish(const std::filesystem::path& folder, std::int64_t owner,
                           const std::string& book, PublishMode mode) override;
    std::unique_ptr<BookFile> openFile(std::int64_t owner, const std::string& book,
                                       const std::string& relative) override;
    std::vector<BookSummary> listBooks(std::int64_t owner) override;
    bool removeBook(std::int64_t owner, const std::string& book) override;

    // Where the book's files lie.
    std::filesystem::path bookFolder(std::int64_t owner, const std::string& book) const {
        return shelf(owner) / book;
    }

private:
    std::filesystem::path shelf(std::int64_t owner) const;

    // Moves the book out of sight with one rename, then removes it.
    bool retire(const std::filesystem::path& book);

    std::filesystem::path root_;
    std::filesystem::path staging_;
};

} // namespace bookservice
