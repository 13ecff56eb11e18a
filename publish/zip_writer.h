// Writing ZIP archives: the ZIP output, the executable's payload and project files are all made
// here. Every entry is deflated at zlib's default level and carries the same DOS date and time
// words (date 0x0020, time 0x0000) and no attributes, so the same files always give the same
// archive bytes. Folders get no entries of their own; entry names use "/".
#pragma once

#include "publish/book_copy.h"

#include <minizip/zip.h>

#include <QString>

#include <functional>

// Called after each entry written: entries done so far, entries in all.
using ZipProgress = std::function<void(int done, int total)>;

// Adds one file to an open archive as one entry, reading it through a fixed buffer. An entry
// name that is plain ASCII is stored as it is; any other is stored in UTF-8 and marked so. A file
// that cannot be opened or read to its end still gets its entry (empty or cut short), and the
// result says so: ZIP_OK, ZIP_ERRNO for the file, or minizip's error for the archive.
int addFileToZip(zipFile archive, const QString& entryName, const QString& filePath);

// Packs every file below folder (hidden ones excepted) into a new archive at archivePath, each
// under its path relative to folder, in name order. The archive is written beside its target
// and moved there only once complete, so a failure leaves the earlier file at archivePath (or
// nothing) rather than a broken archive. Entries are deflated ahead on the machine's cores while
// the archive is written in order, so the bytes do not depend on timing; memory stays bounded
// whatever the number or size of the files.
JobResult zipFolder(const QString& folder, const QString& archivePath,
                    const ZipProgress& progress = {});

// Copies the book from the wall into the staging folder (made afresh), packs the staging folder
// into archivePath with zipFolder and removes the staging folder again, whatever the outcome.
JobResult makeZip(const QString& archivePath, const QString& stagingFolder, const WallFolder& wall,
                  const BookOptions& book, const ZipProgress& progress = {});
