// Folder helpers shared by every part of murano that copies, lists or removes files of a wall.
// Paths are plain strings; on this platform the native separator is "/".
#pragma once

#include <QString>
#include <QStringList>

class QRegularExpression;

// The path in the form handed to other programs, the player and the ZIP writer. The native form
// keeps "/" and collapses runs of "/" into one, so a folder ending in "/" joined with "/name"
// compares equal to the same path written once. A backslash is a legal name character here and
// stays as it is.
QString toNativePath(const QString& path);

// True for an existing folder that holds nothing at all, hidden entries included.
bool isEmptyFolder(const QString& folder);

// Removes a folder with everything below it. Symbolic links are removed, never followed. Entries
// that cannot be deleted are passed over, so the walk always ends. Returns false when the folder
// did not exist or could not be removed completely, true when it existed and is gone.
bool removeTree(const QString& folder);

// Copies every file and subfolder (hidden ones excepted) of source into destination (created when
// missing), keeping
// names. A file already present at the destination is kept, not overwritten. Symbolic links to
// folders are not descended into. Copies are made writable by their owner.
void copyTree(const QString& source, const QString& destination);

// Appends to files the path of every file below folder (hidden entries excluded), formed as
// folder + "/" + name at each level, depth first in the order the file system lists them.
void listFilesRecursive(const QString& folder, QStringList& files);

// How copyFolderFiles places a file: a real copy, or a hard link to the same bytes where the file
// system allows one (a real copy elsewhere). Links suit a short-lived staging copy that nothing
// writes into; a change to a linked file would change the source too.
enum class FileTransfer { Copy, LinkWhenPossible };

// Copies the files (not subfolders, not hidden files) of the one folder source into destination
// (created when missing), each under its own name exactly, so that a server that tells capitals
// from small letters finds every file under the name the gallery index gives it. Both paths end
// with "/". Existing files are kept. Returns false when the destination could not be created or a
// file could not be copied, naming the first such file in failedFile when given; a missing source
// copies nothing and is no failure.
bool copyFolderFiles(const QString& destination, const QString& source,
                     QString* failedFile = nullptr, FileTransfer transfer = FileTransfer::Copy);

// Makes sure a folder exists: up to five attempts 100 ms apart. Returns whether it exists.
bool ensureFolder(const QString& folder);

// Removes the entries of folder whose names match pattern and whose first captured group is the
// id of a process that no longer runs: what killed runs left behind (partial archives, staging
// folders). Entries of running processes and names that do not match are left alone.
void removeLeftoversOfEndedProcesses(const QString& folder, const QRegularExpression& pattern);
