// A PDF read through poppler: opened with the checks that tell the user what is wrong with a file,
// its pages rendered at the size decks' slides get, and its words. A PdfDocument belongs to one
// thread at a time: poppler's documents are not safe to share, so each worker opens its own.
// The pages are rasterised by poppler's own output device, kept for the whole document: the Qt
// binding makes a new one for every page (so every page loads its fonts again) and paints 32-bit
// pixels where 24 suffice. The device paints the inside of plain rectangles itself, the bulk of a
// slide's pixels, exactly as poppler's scan would.
#pragma once

#include "wall/deck_words.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <memory>

namespace Poppler {
class Document;
}
class PdfRasteriser;

// Pages are rendered at 96 dpi, as the converter exports slides.
inline constexpr double kPdfPageDpi = 96.0;
// A page larger than this on a side, in pixels at 96 dpi (over 100 inches), is not rendered: its
// picture alone would take gigabytes.
inline constexpr int kMaxPdfPagePixels = 10000;

class PdfDocument {
public:
    enum class Problem {
        None,
        Missing,       // no such file
        NotAPdf,       // the file does not start as a PDF does
        Damaged,       // cut short, or poppler cannot read it
        NeedsPassword, // protected, and no password given
        WrongPassword, // protected, and the password given does not open it
        NoPages
    };

    // Opens the file; an empty password tries none. problem() tells why it could not be opened.
    PdfDocument(const QString& path, const QByteArray& password);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    Problem problem() const { return problem_; }
    // What the user is told about the problem, naming the file; "" when there is none.
    QString problemText() const;
    int pageCount() const;

    // Page `index` (from 0) at 96 dpi, in its own shape, as RGB888; a null image with `error` set
    // when it cannot be rendered.
    QImage render(int index, QString& error) const;
    // The page's text in reading order, its first line as its title, and its links (rectangles as
    // fractions of the page); its number is index + 1.
    SlideWords words(int index) const;
    // The document's title, author and language, without slides.
    DeckWords documentWords() const;

private:
    QString path_;
    QByteArray password_;
    Problem problem_ = Problem::None;
    std::unique_ptr<Poppler::Document> document_;
    std::unique_ptr<PdfRasteriser> rasteriser_;
};
