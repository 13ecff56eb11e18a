// Project files (".mrnp"): a wall saved as a ZIP archive of its book and opened again later. No
// windows involved; both operations may run off the GUI thread.
//
// A project file may come from anyone, so opening treats it as hostile: the archive is vetted
// with our own reader before the archive tool sees it (names that could escape, links, sizes
// beyond the limits or the free disk space, damaged data), what the tool unpacked is checked
// against that vetted listing, and the work folder's four data folders are replaced only once a
// complete, checked extraction is in hand. Only the regular files of "background/", "logo/",
// "wallimages/" and "xml/" ever reach the work folder.
#pragma once

#include "publish/book_copy.h"
#include "publish/zip_writer.h"

#include <QString>

#include <cstdint>

// The file dialogs' filter for project files.
inline constexpr char kProjectFilter[] = "Murano Project (*.mrnp)";

// Where the archive is staged while saving: workFolder + "/.hhxxpp/".
QString projectStagingFolder(const QString& workFolder);
// Where the archive tool unpacks while opening: workFolder + "/.##temp%%/".
QString projectExtractionFolder(const QString& workFolder);

// The file name the user chose, with ".mrnp" added when it has no extension at all.
QString withProjectSuffix(const QString& fileName);

// The folder of a chosen file: everything before its last "/".
QString folderOfFile(const QString& filePath);

// Saves the wall of workFolder as a project file: the book copied into the staging folder and
// packed with makeZip. The file is written under a temporary name and put in place only once
// complete, so a failure leaves an earlier project file whole. The staging folder is gone
// afterwards, whatever the outcome.
JobResult saveProject(const QString& projectFile, const QString& workFolder,
                      const BookOptions& book, const ZipProgress& progress = {});

// The archive tool: "7z" beside the program, else "7z" on the PATH; empty when there is none.
QString findArchiveTool(const QString& applicationFolder);

struct ProjectOpening {
    QString archiveTool;             // as given by findArchiveTool
    QString templateFolder;          // for the structure repair after the swap
    int extractionTimeoutMs = 30000; // the archive tool is stopped after this long
    std::uint64_t maxUnpackedBytes = std::uint64_t(4) << 30;
    int maxEntries = 20000;
    ZipProgress progress; // entries vetted; then (0, 0) while the tool runs
};

// How the program opens projects: its archive tool (findArchiveTool of the application folder)
// and its template folder, with the standard limits.
ProjectOpening programProjectOpening();

// Opens a project file into workFolder: vets it, unpacks it with the archive tool into the
// extraction folder, checks the result, replaces the four data folders with the project's (a
// folder the project lacks ends up empty), repairs the work folder and rewrites the index's
// script twin from the project's index. On any failure the work folder is left as it was and
// the error says why. The extraction folder is gone afterwards, whatever the outcome.
JobResult readProject(const QString& projectFile, const QString& workFolder,
                      const ProjectOpening& opening);
