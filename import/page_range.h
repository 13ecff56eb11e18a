// The custom page range of the import dialog, such as "1, 5-10, 18", turned into page entries.
#pragma once

#include <QString>
#include <QStringList>

// At most this many pages can be imported at once.
constexpr int kMaxPages = 4096;
// What analysisImage answers for a range that names too many pages or a page above the limit.
constexpr int kTooManyPages = kMaxPages + 1;

// Splits the text at commas and fills `chooesPage` in input order: a single page keeps its text as
// typed (blanks included), a range "a-b" adds a, a+1, ..., b as plain numbers. Parts that name no
// page (empty, zero, not a number, reversed or open ranges) are skipped. Returns the number of
// entries, 0 when no page was recognised, or kTooManyPages.
int analysisImage(const QString& text, QStringList& chooesPage);

// The decimal value of a page text: optional sign, blanks around it allowed; anything else is 0.
int pageValue(const QString& text);
