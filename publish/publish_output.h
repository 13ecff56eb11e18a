// The three outputs of a wall (web folder, ZIP archive, executable) as one call, without windows:
// where each is written and what it is made of. The publish dialog runs them behind its progress
// strip; a batch run runs the same calls.
#pragma once

#include "platform/jobs/job.h"
#include "publish/book_copy.h"
#include "publish/zip_writer.h"

#include <QString>
#include <QStringList>

class RememberedValues;

enum class PublishMode { Html = 0, Zip = 1, Exe = 2 };

// ".html", ".zip" or ".exe".
QString outputExtension(PublishMode mode);

// "" for a file name that stays inside the output folder, in the folder itself and as an archive
// entry; else the message for the user. An archive or executable needs a name (an empty one would
// make a hidden ".zip" or ".exe"); the web folder's page is then "index.html".
QString outputNameProblem(const QString& name, PublishMode mode);

// The file an output writes: folder + "/" + name + extension; for Html the web folder's page,
// which an empty name makes "index.html".
QString outputTarget(const QString& folder, const QString& name, PublishMode mode);

// What the output would replace in folder, those of its paths that exist: the archive or the
// executable, or for the web folder its page, player files and data folders. Empty when nothing
// there would be overwritten.
QStringList replacedByOutput(const QString& folder, const QString& name, PublishMode mode);

// The paths in one line for a message: each in quotes, separated by commas.
QString quotedPaths(const QStringList& paths);

// The HTML that shows the published web book inside another page: an <iframe> of the book's page,
// allowed to go full screen, addressed relative to a page in the same folder.
QString embeddingSnippet(const BookOptions& book);

// The book as the remembered values keep it between runs: the output file name (slot 4) and the
// page's title, keywords and description (slots 6 to 8), in the web layout.
BookOptions rememberedBook(const RememberedValues& values);

// A step of publishing (an output, a project saved or opened) as work that reports its entries.
using PublishWork = std::function<JobResult(const ZipProgress& progress)>;

// The step as a job on a thread of its own: its entries as the job's progress, its result as the
// job's.
ThreadJob* makePublishJob(PublishWork work, QObject* parent);

// Writes the wall as the output of that mode into folder: the web folder through copyBook, the ZIP
// archive through makeZip (in the wall's archive staging), the executable through makeExe (its
// archive the wall's executableArchive). The book's page name is the output's file name. Runs on
// the calling thread; progress reports the archive's entries.
JobResult publishOutput(PublishMode mode, const WallFolder& wall, const QString& folder,
                        const BookOptions& book, const ZipProgress& progress = {});
