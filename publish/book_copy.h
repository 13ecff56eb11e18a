// Copying a book (the wall's page, player files and data folders) out of the work folder into an
// output folder, with the page's title and meta lines rewritten. Every output of the program (web
// folder, ZIP archive, executable, project file) is made from such a copy. No windows involved.
#pragma once

#include "platform/jobs/job_result.h"
#include "wall/folders.h"
#include "wall/wall_folder.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the user typed for the published page's head.
struct HtmlMeta {
    QString title;
    QString keywords;
    QString description;
};

// Web: the page under its file name, "main.swf", "swfobject.js" and the five data folders.
// Executable: the same under a "Book/" folder, with the template page unchanged as "index.html"
// and the movie as "book.swf", which is what the executable stub unpacks and opens.
enum class BookLayout { Web, Executable };

struct BookOptions {
    QString pageName; // the file name as typed, without ".html"; empty means "index"
    HtmlMeta meta;
    BookLayout layout = BookLayout::Web;
    // A project file keeps the wall whole; every published copy keeps the speaker notes only
    // when the wall publishes them.
    bool wholeWall = false;
};

// The head a page of the wall in workFolder is published with: the typed one, with the book's own
// title when no title was typed.
HtmlMeta publishedMeta(const HtmlMeta& typed, const QString& workFolder);

// The published page's file name: pageName + ".html", or "index.html" for an empty pageName.
QString pageFileName(const QString& pageName);

// The page text with the user's head: line 3 (counting from 0) becomes the title, followed by
// one keywords and one description meta line; keywords and description lines the template
// already holds further down are dropped. The values are HTML-escaped, the text is decoded and
// encoded in the charset the page declares (UTF-8 when it declares none or an unknown one), and
// a character that charset cannot hold is written as a character reference. Unchanged lines
// keep their line ends (CR LF stays CR LF); the three written lines end with "\n". Fails when
// the page has fewer than four lines.
JobResult alterHtml(const QByteArray& templatePage, const HtmlMeta& meta, QByteArray* page);

// The paths in folder that a web book with this page name would replace: its data folders, its
// page and its player files, those that exist. A publication over any of them overwrites.
QStringList existingBookEntries(const QString& folder, const QString& pageName);

// Copies the book from source (the work folder) into destination, replacing the destination's
// data folders whole and its page and player files, and leaving everything else there alone.
// File names are kept exactly, so a server that tells capitals from small letters finds every
// file the page and xml/images.xml name. The new book is built beside the old one and then put in
// its place, so a failure (or a kill) leaves the destination as it was; the error says what
// failed. The source is never changed, and a destination that is the source or lies inside one of
// its data folders is refused.
// The data files are copied, or linked where transfer allows it (a staging copy that is packed
// and removed). The deck's words go as published (see writePublishedWords) unless
// options.wholeWall.
JobResult copyBook(const WallFolder& source, const QString& destination, const BookOptions& options,
                   FileTransfer transfer = FileTransfer::Copy);
