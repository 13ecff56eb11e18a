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
