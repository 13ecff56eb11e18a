// The look of a wall: everything the settings panel and the side dialogs choose, which the user
// settings file carries from one run to the next and the gallery index's start tag hands to the
// player, and the background and logo files that go with it in the work folder.
#pragma once

#include "wall/background_mode.h"
#include "wall/wall_parts.h"

#include <QString>

struct WallLook {
    QString backgroundFile;   // the chosen background image
    QString logoFile;         // the chosen logo
    QString logoLink;         // where the logo links to
    bool shareHidden = false; // the player's share button is hidden
    bool infoHidden = false;  // the player's info button is hidden
    QString bookTitle;        // book information
    QString email;
    QString webSite;
    QString displayName;
    QString description;           // plain text, may hold line breaks
    QString pureColor = "#000000"; // colour names: "#" and six lower-case hex digits
    QString gradientStart = "#000000";
    QString gradientEnd = "#000000";
    QString angle = "90"; // the gradient angle, as typed
    BackgroundMode mode = BackgroundMode::PureColor;
    int position = 0;        // image position: 0 Center, 1 Stretch, 2 Tile
    bool logoHidden = false; // "Hide Logo"
    int autoplaySeconds = 0; // the slideshow plays at open, moving on every so many seconds; 0: off
    bool rightToLeft = false; // the book reads from right to left

    BookDetails book() const;
    void setBook(const BookDetails& book);
    HiddenButtons hiddenButtons() const;
    void setHiddenButtons(const HiddenButtons& hidden);

    bool operator==(const WallLook& other) const;
    bool operator!=(const WallLook& other) const { return !(*this == other); }
};

// The longest interval the slideshow setting takes, in seconds.
inline constexpr int kMaxAutoplaySeconds = 3600;

// "center", "stretch" or "titl" (the player's own tile keyword) for a position index.
QString positionKeyword(int position);

// The extension of a chosen file, from the last "." of its name to the end, dot included; "" when
// the name has none.
QString fileExtension(const QString& path);

// Where the wall keeps its copy of a chosen logo or background, relative to the work folder.
QString logoPath(const QString& logoFile);
QString backgroundPath(const QString& backgroundFile);

// The value the player reads from back_ground: 0{0xrrggbb}, 1{0xrrggbb,0xrrggbb,angle} or
// 2{background/background.ext,position}.
QString backgroundValue(const WallLook& look);

// The whole start tag: "<gallery " then every attribute followed by one space, then ">". Free text
// (link and book information) is escaped so that the index stays well-formed and shows as typed.
QString galleryStartTag(const WallLook& look);

// The look a start tag hands to the player, read back: its background, logo, link, buttons and
// book information. The pictures are the wall's own copies in workFolder (a start tag naming any
// other file is not followed); an attribute the tag lacks takes the player's default, and what a
// tag cannot carry (the colours and angle of the modes it does not use) is taken from base. The
// slideshow and the reading direction come back too.
WallLook lookFromStartTag(const QString& startTag, const QString& workFolder, const WallLook& base);

// Copies the logo into workFolder/logo/ as logo.<ext>, emptying that folder first, unless the
// chosen file already is that copy. Returns the path the start tag names ("logo/logo.<ext>").
QString installLogo(const QString& logoFile, const QString& workFolder);

// Copies the background image into workFolder/background/ as background.<ext>, replacing only a
// file of that name, unless the chosen file already is that copy. Returns the path the start tag
// names ("background/background.<ext>").
QString installBackground(const QString& backgroundFile, const QString& workFolder);

// Escapes &, <, >, " and ' as XML entities, and line breaks and tabs as character references;
// drops every other control character, which XML does not allow.
QString xmlEscaped(const QString& text);
