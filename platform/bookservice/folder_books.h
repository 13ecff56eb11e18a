// Books as folders on the local disk: <root>/u/<owner id>/flipbook/<book>/...
#pragma once

#include "platform/bookservice/storage.h"

namespace bookservice {

class FolderBooks : public BookStore {
public:
    explicit FolderBooks(std::filesystem::path root) : root_(std::move(root)) {}

    bool hasBook(std::int64_t owner, const std::string& book) override;
    // `folder` must lie on the same file system as the root; it is flushed to the disk and renamed
    // into place, so a crash at any moment leaves either no book or the whole book.
    PublishResult publish(const std::filesystem::path& folder, std::int64_t owner,
                          const std::string& book) override;
    std::unique_ptr<BookFile> openFile(std::int64_t owner, const std::string& book,
                                       const std::string& relative) override;

private:
    std::filesystem::path shelf(std::int64_t owner) const;

    std::filesystem::path root_;
};

} // namespace bookservice
