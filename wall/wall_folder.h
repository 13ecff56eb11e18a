// The layout of a wall's work folder: the only place where the names of what lies in it are
// spelled. Everything else asks a WallFolder for a path, or for the lists of entries an output,
// a project or a repair works on.
#pragma once

#include <QString>
#include <QStringList>

class WallFolder {
public:
    // The folder, with or without its trailing "/".
    explicit WallFolder(const QString& folder);

    // The folder, ending in "/".
    const QString& root() const { return root_; }

    // The player's page, script and movie, without which a wall cannot play.
    QString page() const { return root_ + kPage; }
    QString playerScript() const { return root_ + kPlayerScript; }
    QString movie() const { return root_ + kMovie; }
    // The gallery index, and the script twin a page opened from disk reads instead.
    QString index() const { return root_ + kIndex; }
    QString indexScript() const { return root_ + QStringLiteral("xml/images.js"); }
    // The deck's words (titles, text, notes, alt text, links), and their script twin. A wall
    // without them plays as a picture of the deck.
    QString words() const { return root_ + kWords; }
    QString wordsScript() const { return root_ + kWordsScript; }
    // The data folders, each ending in "/".
    QString images() const { return root_ + kImages; }
    QString thumbnails() const { return root_ + kThumbnails; }
    QString backgroundFolder() const { return root_ + kBackground; }
    QString logoFolder() const { return root_ + kLogo; }

    // Where the converter exports the slides of an import, and the output path that names it.
    QString conversionStaging() const { return root_ + QStringLiteral(".laq/"); }
    QString conversionOutput() const { return root_ + QStringLiteral(".laq.jpg"); }
    // The words the converter reads from the deck of an import (its -words file).
    QString conversionWords() const { return conversionStaging() + QStringLiteral("words.json"); }
    // The same for part 2, 3, ... of a conversion split between office instances, whose slides
    // join those of part 1 in conversionStaging() once every part has ended.
    QString conversionStaging(int part) const {
        return part <= 1 ? conversionStaging() : root_ + QStringLiteral(".laq%1/").arg(part);
    }
    QString conversionOutput(int part) const {
        return part <= 1 ? conversionOutput() : root_ + QStringLiteral(".laq%1.jpg").arg(part);
    }
    // The thumbnails of the slides being taken in.
    QString stagedThumbnails() const { return conversionStaging() + QStringLiteral(".qal/"); }
    // Those of each part of a split conversion, made as soon as that part has ended (part 1's are
    // the ones above).
    QString stagedThumbnails(int part) const {
        return conversionStaging(part) + QStringLiteral(".qal/");
    }
    // The book copied for a ZIP output or a project, and for an executable's archive.
    QString archiveStaging() const { return root_ + QStringLiteral(".zapperstab/"); }
    QString executableStaging() const { return root_ + QStringLiteral("zapperstab/"); }
    // The archive an executable named name is made from, while it is made.
    QString executableArchive(const QString& name) const {
        return root_ + name + QStringLiteral(".zip");
    }
    // A project being saved, and one being opened.
    QString projectStaging() const { return root_ + QStringLiteral(".hhxxpp/"); }
    QString projectExtraction() const { return root_ + QStringLiteral(".##temp%%/"); }

    // The remembered values of the import and publish side, and of the project side.
    QString rememberedValues() const { return root_ + QStringLiteral(".home"); }
    QString projectValues() const { return root_ + QStringLiteral(".home.."); }
    // The settings file of a wall other than the user's own, which no output or upload packs.
    QString ownSettingsFile() const { return root_ + QStringLiteral(".quorvexmrnoini"); }

    // True when the folder holds a wall (its index or its movie).
    bool holdsAWall() const;

    // Names relative to the folder: the index as an archive entry names it, the player files,
    // the data folders in the order a copy replaces them ("wallimages/" before its "thumbs/"),
    // and the folders at the top of the wall that hold its data.
    static QString indexEntry() { return kIndex; }
    static QString wordsEntry() { return kWords; }
    static QString wordsScriptEntry() { return kWordsScript; }
    static QString pageName() { return kPage; }
    static QString playerScriptName() { return kPlayerScript; }
    static QString movieName() { return kMovie; }
    static QStringList playerFiles() { return {kPage, kPlayerScript, kMovie}; }
    static QStringList dataFolders() { return {kImages, kThumbnails, kXml, kBackground, kLogo}; }
    static QStringList topDataFolders();

private:
    static inline const QString kPage = QStringLiteral("index.html");
    static inline const QString kPlayerScript = QStringLiteral("swfobject.js");
    static inline const QString kMovie = QStringLiteral("main.swf");
    static inline const QString kXml = QStringLiteral("xml/");
    static inline const QString kIndex = QStringLiteral("xml/images.xml");
    static inline const QString kWords = QStringLiteral("xml/words.json");
    static inline const QString kWordsScript = QStringLiteral("xml/words.js");
    static inline const QString kImages = QStringLiteral("wallimages/");
    static inline const QString kThumbnails = QStringLiteral("wallimages/thumbs/");
    static inline const QString kBackground = QStringLiteral("background/");
    static inline const QString kLogo = QStringLiteral("logo/");

    QString root_;
};
