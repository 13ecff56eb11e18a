// Unpacking a checked archive into a folder, and taking back what was written when it fails.
#include "platform/zipread/native_path.h"
#include "platform/zipread/zipread.h"

#include <system_error>

namespace murano::zipread {

namespace fs = std::filesystem;

namespace {

// One unpacking run: remembers every file and folder it creates so that a failure can remove them.
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

    Status writeFile(Archive& archive, const Entry& entry, const fs::path& relative) {
        if (Status status = makeFolders(relative.parent_path()); !status.ok()) {
            return status;
        }
        const fs::path target = root_ / relative;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(target, error);
        // A link or file of the same name goes away first, so the new file is written in its own
        // place and never through a link or into another name of a hard-linked file.
        if (fs::is_directory(status) || (fs::exists(status) && !fs::remove(target, error))) {
            return Status{Failure::CannotWrite, pathText(target)};
        }
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out) {
            return Status{Failure::CannotWrite, pathText(target)};
        }
        created_.push_back(target);
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

    void undo() {
        std::error_code error;
        for (auto item = created_.rbegin(); item != created_.rend(); ++item) {
            fs::remove(*item, error);
        }
        created_.clear();
    }

private:
    fs::path root_;
    std::vector<fs::path> created_;
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
    if (!status.ok()) {
        extraction.undo();
    }
    return status;
}

} // namespace murano::zipread
