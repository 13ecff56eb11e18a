// What the book stub needs from the system it runs on: its own file, a private per-user folder,
// the default browser, and a way to tell people what went wrong.
#pragma once

#include <string>
#include <vector>

namespace murano::stub {

// The program's arguments as UTF-8, without the program's own name.
std::vector<std::string> programArguments(int argc, char** argv);
// The path of the running program's file.
std::string ownExecutablePath();

// The folder where unpacked books are kept for this user, created private (0700 on Linux) when
// missing: $XDG_CACHE_HOME/quorvex/books (default ~/.cache) on Linux, %LOCALAPPDATA%\Quorvex\Books
// on Windows. Empty when it cannot be made.
std::string privateBooksFolder();
// Creates one folder only this user can enter; false when it cannot be made or already exists.
bool makePrivateFolder(const std::string& path);

// Hands the file to the desktop's default program for it (a web page opens in the browser).
bool openInDefaultBrowser(const std::string& file);

// When the program was started from the desktop rather than a console, its console goes away and
// messages are shown in a message box instead.
void leaveConsoleWhenStartedFromDesktop();
void printLine(const std::string& text);
void showError(const std::string& text);

} // namespace murano::stub
