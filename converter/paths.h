// Path and file-system helpers of the converter. Paths use "/"; "\" is also taken as a separator
// when splitting names, so that paths written the other way round still split sensibly.
#pragma once

#include <string>

// The extension of the last path component, including its dot, or "" when it has none.
std::string extensionOf(const std::string& path);

// The path without the extension of its last component (folder and base name).
std::string withoutExtension(const std::string& path);

// The last path component.
std::string fileNameOf(const std::string& path);

// The folder part of a path, without a trailing separator ("" for a bare name).
std::string folderOf(const std::string& path);

bool pathExists(const std::string& path);
bool isFolder(const std::string& path);
bool isRegularFile(const std::string& path);

// The full path of the running executable.
std::string executablePath();

// The user's private state folder (mode 0700), created when missing: $XDG_STATE_HOME/quorvex, by
// default ~/.local/state/quorvex. Returns "" when it cannot be made.
std::string privateStateFolder();
