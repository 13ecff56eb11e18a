// The words of a deck: titles, text, speaker notes, picture descriptions and links, slide by slide,
// as the converter reads them from the deck and as a wall carries them beside its index (layout in
// docs/words.md). Every text is plain text; whoever shows it escapes it.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "wall/wall_parts.h"

class WallFolder;

// A link on a slide: its rectangle as fractions of the slide (from the top left), and either a URL
// or a jump to another slide (`slide`, from 1, when `url` is empty).
struct WordsLink {
    double x = 0, y = 0, w = 0, h = 0;
    QString url;
    int slide = 0;
};

struct SlideWords {
    int number = 0; // the deck's slide number, from 1 (the converter's file only; 0 in a wall)
    QString title, text, notes;
    QStringList alt;
    QList<WordsLink> links;
};

struct DeckWords {
    QString title, author, language;
    QList<SlideWords> slides;
    // The wall's choice ("publishNotes", written only when set): its published copies keep the
    // speaker notes. Off, they stay in the wall and its project files alone.
    bool notesPublished = false;
};

bool operator==(const WordsLink& a, const WordsLink& b);
bool operator==(const SlideWords& a, const SlideWords& b);
bool operator==(const DeckWords& a, const DeckWords& b);

// The most text a slide keeps, in UTF-8 bytes; longer text is cut at a word.
inline constexpr int kMaxSlideTextBytes = 64 * 1024;

// Reads a words file. Members that are missing or of the wrong kind are left empty; nothing when
// the text is not a JSON object (`error` says why).
std::optional<DeckWords> parseDeckWords(const QByteArray& json, QString& error);
QByteArray deckWordsJson(const DeckWords& words);

// Makes words from any source safe to keep: control characters and unpaired surrogates go, text is
// cut at kMaxSlideTextBytes, a slide without a title is "Slide N" (its position, from 1), links
// keep only http, https and mailto URLs or jumps to a slide, within the slide's rectangle.
DeckWords cleanedWords(DeckWords words);

// The words of a wall made of the deck's slides `deckNumbers` (the deck's number of each image, in
// the wall's order): those slides, renumbered, with jumps to slides outside the wall dropped.
DeckWords wallWords(const DeckWords& deck, const QList<int>& deckNumbers);

// The words as a published wall carries them when the speaker notes stay private.
DeckWords withoutNotes(DeckWords words);

// Gives the published copy `copy` of `wall` the wall's words as published: without the speaker
// notes unless the wall publishes them. A wall without words leaves the copy as it is. False with
// `error` when the copy's words cannot be written.
bool writePublishedWords(const WallFolder& wall, const WallFolder& copy, QString& error);

// Whether the wall's published copies keep its speaker notes, and the choice stored with the
// wall's words (so that its project files keep it too). Storing fails, with `error`, for a wall
// without words.
bool notesPublished(const WallFolder& wall);
bool setNotesPublished(const WallFolder& wall, bool published, QString& error);

// The book information with an empty title and display name taken from the deck's title and
// author; what the user set stays.
BookDetails bookWithDeckDetails(BookDetails book, const DeckWords& words);

// Whether text in this language (a language tag such as "he-IL" or "ar") reads from right to left;
// false for an unknown or empty one.
bool readsRightToLeft(const QString& language);

// Writes a wall's words file and its script twin, each replaced in one step. False with `error`
// when either cannot be written.
bool writeWallWords(const WallFolder& wall, const DeckWords& words, QString& error);
// The wall's words; nothing when it has none, or they cannot be read.
std::optional<DeckWords> readWallWords(const WallFolder& wall);
// Removes a wall's words file and twin (a wall imported from a deck without readable words).
void removeWallWords(const WallFolder& wall);
