// A PDF's pages into the wall, as a deck's slides go, without the office suite: every selected page
// rendered by poppler straight to the wall's JPEG and its thumbnail, on one worker per core (each
// with its own document, one page in memory at a time), beside the wall's slides until all are
// there, then put in their place in one step; the pages' text and links, and the document's title,
// author and language, become the wall's words. A failure or a stop leaves the wall as it was.
#pragma once

#include "import/imported_slides.h"
#include "import/pdf_document.h"
#include "platform/jobs/job.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct PdfImportRequest {
    QString pdf;
    QString workFolder; // the wall's work folder, ending in "/"
    bool allPages = true;
    QStringList chooesPage; // a custom range's page entries, as parsed
    QByteArray password;    // empty: the file is opened without one
    int threads = 0;        // page workers; 0 picks one more than the cores
};

struct PdfImportOutcome {
    JobResult result;
    // What kept the file from being opened (a password missing or wrong, say); None otherwise.
    PdfDocument::Problem problem = PdfDocument::Problem::None;
    ImportedSlides slides; // what went into the wall, when the result is done
};

// Pages rendered so far and their total; called from the workers.
using PdfProgress = std::function<void(int done, int total)>;

// Runs one PDF import on the calling thread (and its workers); `stopped` is asked between pages.
PdfImportOutcome importPdf(const PdfImportRequest& request, const PdfProgress& progress = {},
                           const std::function<bool()>& stopped = {});

// Whether a file is imported as a PDF rather than through the converter: by its suffix.
bool isPdfFile(const QString& path);

class PdfImportJob : public ThreadJob {
    Q_OBJECT

public:
    explicit PdfImportJob(QObject* parent = nullptr);

    // What the next start() imports.
    void setRequest(const PdfImportRequest& request) { request_ = request; }
    // Of the last run, once it has finished.
    PdfDocument::Problem problem() const { return outcome_.problem; }
    const ImportedSlides& slides() const { return outcome_.slides; }

private:
    PdfImportRequest request_;
    PdfImportOutcome outcome_;
};
