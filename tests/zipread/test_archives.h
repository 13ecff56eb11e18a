// The archives written by python3's zipfile (make_archives.py) for every test of code that reads
// archives: well-formed ones in several shapes and hostile ones. Made once per test program.
#pragma once

#include <string>
#include <vector>

// The archive `name` (such as "good.zip" or "climb.zip") in the shared folder of test archives.
std::string testArchive(const std::string& name);
// Empty when the archives were made; the script's error output otherwise.
std::string testArchivesError();

// Every path below `folder`, relative to it and sorted; links are listed, never followed.
std::vector<std::string> filesBelow(const std::string& folder);
