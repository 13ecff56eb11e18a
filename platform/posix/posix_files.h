// File-system and process helpers shared by the converter, the SWF library, the office layer and
// the wall: testing paths, removing a tree, the user's private state folder, percent-encoding and
// argument vectors for exec, the running program's path.
#pragma once

#include <string>
#include <vector>

namespace posix {

bool exists(const std::string& path);
// A folder, following a symbolic link.
bool isFolder(const std::string& path);
// A regular file, following a symbolic link.
bool isFile(const std::string& path);

// The names in a folder, without "." and "..", sorted; none when it cannot be listed.
std::vector<std::string> folderEntries(const std::string& folder);

// Removes a folder with everything below it. Symbolic links are removed, never followed; a folder
// without the owner's rights to list or empty it gets them first. Entries that cannot be removed
// are passed over, so the walk always ends. Returns false when `folder` is not a folder (a link to
// one is removed itself) or could not be removed completely.
bool removeTree(const std::string& folder);

// The user's private state folder: $XDG_STATE_HOME/quorvex when XDG_STATE_HOME is absolute, else
// ~/.local/state/quorvex. "" when there is no home.
std::string stateFolderPath();

// The private state folder, created when missing and set to mode 0700. "" when it cannot be made.
std::string privateStateFolder();

// `text` with every byte outside letters, digits, "-_.~" and `alsoPlain` written as %XX.
std::string percentEncoded(const std::string& text, const char* alsoPlain = "");

// The running program's file, links resolved; "" when it cannot be told.
std::string executablePath();

// The argv of `words` for the exec family: pointers into the strings, ending in a null pointer.
// The words must outlive the vector.
std::vector<char*> argumentVector(std::vector<std::string>& words);

} // namespace posix
