// The published page's own copy of the deck's words: every slide's title and text as plain HTML,
// for search engines and for readers without scripts (the player hides it once it runs and shows
// the words itself), and the deck's language on the page.
#pragma once

#include <QByteArray>

struct DeckWords;
class WallFolder;

// The page's section of the deck's words: one heading per slide and a paragraph of its text, in
// printable ASCII whatever the page's charset (every other character as a character reference),
// every text escaped.
QByteArray pageWordsSection(const DeckWords& words);

// The page with the section after the wall's element (else before the end of the body) and the
// deck's language as the lang of <html>, when it is a language tag; the page as it was otherwise.
QByteArray withPageWords(const QByteArray& page, const DeckWords& words);

// The page of a wall without words, marked so that the player does not ask for them: the meta line
// <meta name="murano-words" content="none"> before the end of the head (else at the start).
QByteArray withoutPageWords(const QByteArray& page);

// Gives a page published from the wall the wall's words, or the mark that it has none.
void addPageWords(QByteArray* page, const WallFolder& wall);
