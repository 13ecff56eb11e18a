// The gallery index xml/images.xml of a wall, held as a table of lines: line 1 the XML declaration,
// line 2 the <gallery ...> start tag with the player settings, then one image line per slide and
// the closing tag. The player reads it; the program rewrites it whole.
#pragma once

#include <QString>
#include <QStringList>

class GalleryIndex {
public:
    // Reads the file line by line, one element per line, skipping blank lines (one empty line is
    // kept at the end when the file had any). An unreadable file gives an empty table and false.
    bool load(const QString& path);

    // Replaces everything after the start tag with one image line per number and the closing tag.
    void setImageLines(const QStringList& imageNumbers);

    // Puts the start tag on line 2, whatever that line held.
    void setStartTag(const QString& startTag);

    const QStringList& lines() const { return lines_; }
    // Line 2, the start tag with the player settings; empty when the index has none.
    QString startTag() const { return lines_.value(1); }

    // Replaces the file's content atomically with every line followed by "\n", in UTF-8, and
    // writes its script twin beside it (what a page opened from disk reads); a file that cannot be
    // written is left as it was.
    bool write(const QString& path) const;

private:
    void ensureHeaderLines();
    QStringList lines_;
};

// The line of one slide image: "\t<img src=\"7.jpg\" width=\"960\" height=\"720\" />".
QString imageLine(const QString& number);

// The numbers of the images an import produced, in wall order. With all pages: firstIndex,
// firstIndex + 1, ... for imageCount images. With a custom range: the first chosenCount entries of
// chosenPages whose value is not above imageCount, without surrounding blanks.
QStringList selectedImageNumbers(bool allPages, int imageCount, int firstIndex,
                                 const QStringList& chosenPages, int chosenCount);

// Replaces every occurrence of `from` by `to` in the file, as UTF-8 text. A file that cannot be
// read is never replaced. Returns whether the file was written.
bool replaceInIndex(const QString& path, const QString& from, const QString& to);
