// Packing the live wall into the archive that is uploaded as a book: every file of the work
// folder under the book's name, with the page's head rewritten from the upload page's fields.
#pragma once

#include "publish/book_copy.h"

#include <QString>

struct BookPacking {
    QString root;        // the work folder
    QString bookName;    // the first part of every entry name
    HtmlMeta meta;       // title, keywords and description of the page
    QString pagePath;    // where the rewritten page is kept while packing
    QString archivePath; // the archive, made anew
};

// Packs root's files (hidden ones excepted) depth first under bookName + "/" + their path below
// root; root's own index.html is replaced by the rewritten page, added last, and the deck's words
// by their published form (without speaker notes unless the wall publishes them). The rewritten
// page is removed afterwards; on failure the archive is removed too.
JobResult packBook(const BookPacking& packing);
