// Unpacking a checked archive into a folder, and taking back what was written when it fails.
#include "platform/zipread/native_path.h"
#include "platform/zipread/zipread.h"

#include <system_error>

namespace murano::zipread {

namespace fs = std::filesystem;

namespace {

// One unpacking run: remembers every file and folder it creates, and every file it replaces, so
// that a failure can take back all it did.
class Extraction {
public:
    explicit Extraction(fs::path root) : root_(std::move(root)) {}

    Status makeRoot() {
        std::vector<fs::path> missing;
        std::error_code error;
        for (fs::path folder = root_; !folder.empty() && !fs::exists(folder, error);
             folder = folder.parent_path()) {
            missing.push_back(folder);
            if (folder == folder.parent_path()) {
                break;
            }
        }
        for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
            if (!fs::create_directory(*folder, error) && error) {
                return Status{Failure::CannotWrite, pathText(*folder)};
            }
            created_.push_back(*folder);
        }
        if (!fs::is_directory(root_, error)) {
            return Status{Failure::CannotWrite, pathText(root_)};
        }
        return {};
    }

    // Creates the folders of `relative` below the root; never goes through a link.
    Status makeFolders(const fs::path& relative) {
        fs::path folder = root_;
        for (const fs::path& segment : relative) {
            folder /= segment;
            std::error_code error;
            const fs::file_status status = fs::symlink_status(folder, error);
            if (fs::is_symlink(status)) {
                return Status{Failure::Link, pathText(folder)};
            }
            if (fs::is_directory(status)) {
                continue;
            }
            if (fs::exists(status) || !fs::create_directory(folder, error)) {
                return Status{Failure::CannotWrite, pathText(folder)};
            }
            created_.push_back(folder);
        }
        return {};
    }

    // A new file is written in place. One that replaces a file or link of the same name is
    // written beside it first and takes its place only once every entry has been unpacked, so
    // that a failure leaves what was there before as it was; and the new file is never written
    // through a link or into another name of a hard-linked file.
    Status writeFile(Archive& archive, const Entry& entry, const fs::path& relative) {
        if (Status status = makeFolders(relative.parent_path()); !status.ok()) {
            return status;
        }
        const fs::path target = root_ / relative;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(target, error);
        if (fs::is_directory(status)) {
            return Status{Failure::CannotWrite, pathText(target)};
        }
        const bool replaces = fs::exists(status) || fs::is_symlink(status);
        const fs::path written = replaces ? stagingPathFor(target) : target;
        if (written.empty()) {
            return Status{Failure::CannotWrite, pathText(target)};
        }
        std::ofstream out(written, std::ios::binary | std::ios::trunc);
        if (!out) {
            return Status{Failure::CannotWrite, pathText(target)};
        }
        if (replaces) {
            replacements_.emplace_back(written, target);
        } else {
            created_.push_back(target);
        }
        Status result = archive.read(entry, [&out](const char* data, std::size_t size) {
            return static_cast<bool>(out.write(data, static_cast<std::streamsize>(size)));
        });
        out.close();
        if (result.ok() && !out) {
            result = Status{Failure::CannotWrite, pathText(target)};
        }
        if (result.failure == Failure::CannotWrite) {
            result.detail = pathText(target);
        }
        return result;
    }

    // Puts the files written beside the ones they replace in their places.
    Status commit() {
        for (auto& [written, target] : replacements_) {
            std::error_code error;
            fs::rename(written, target, error);
            if (error) {
                return Status{Failure::CannotWrite, pathText(target)};
            }
            written.clear();
        }
        replacements_.clear();
        return {};
    }

    // Removes what the run created and what it wrote beside existing files; those stay as they
    // were.
    void undo() {
        std::error_code error;
        for (const auto& replacement : replacements_) {
            if (!replacement.first.empty()) {
                fs::remove(replacement.first, error);
            }
        }
        replacements_.clear();
        for (auto item = created_.rbegin(); item != created_.rend(); ++item) {
            fs::remove(*item, error);
        }
        created_.clear();
    }

private:
    // A free name beside `target` for the file that will replace it.
    static fs::path stagingPathFor(const fs::path& target) {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            fs::path candidate = target;
            candidate += ".unpacking-" + std::to_string(attempt);
            std::error_code error;
            if (!fs::exists(fs::symlink_status(candidate, error))) {
                return candidate;
            }
        }
        return {};
    }

    fs::path root_;
    std::vector<fs::path> created_;
    std::vector<std::pair<fs::path, fs::path>> replacements_; // written beside, replaced
};

} // namespace

Status extractAll(Archive& archive, const std::string& folder, const Limits& limits) {
    if (Status status = checkEntries(archive, limits); !status.ok()) {
        return status;
    }
    Extraction extraction(nativePath(folder));
    Status status = extraction.makeRoot();
    for (auto entry = archive.entries().begin(); status.ok() && entry != archive.entries().end();
         ++entry) {
        const fs::path relative = nativePath(*safeRelativePath(entry->name));
        status = entry->isDirectory() ? extraction.makeFolders(relative)
                                      : extraction.writeFile(archive, *entry, relative);
    }
    if (status.ok()) {
        status = extraction.commit();
    }
    if (!status.ok()) {
        extraction.undo();
    }
    return status;
}

} // namespace murano::zipread
