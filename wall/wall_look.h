// The player settings of a wall: the look chosen in the settings panel and the side dialogs, turned
// into the attributes of the gallery index's start tag, and the background and logo files that go
// with them in the work folder.
#pragma once

#include "wall/background_mode.h"

#include <QString>

struct WallLook {
    BackgroundMode mode = BackgroundMode::Image;
    QString pureColour = QStringLiteral("#000000"); // colour names "#rrggbb"
    QString startColour = QStringLiteral("#000000");
    QString endColour = QStringLiteral("#ffffff");
    QString angle = QStringLiteral("90");         // as typed
    QString backgroundFile;                       // the chosen image
    QString position = QStringLiteral("Stretch"); // "Center", "Stretch" or "Tile"
    QString logoFile;
    bool hideLogo = false;
    QString link;
    bool hideShare = false;
    bool hideInfo = false;
    QString bookTitle, email, website, displayName, description;
};

// "center", "stretch" or "titl" (the player's own tile keyword) for a position text.
QString positionKeyword(const QString& positionText);

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

// Copies the logo into workFolder/logo/ as logo.<ext>, emptying that folder first, unless the
// chosen file already is that copy. Returns the path the start tag names ("logo/logo.<ext>").
QString installLogo(const QString& logoFile, const QString& workFolder);

// Copies the background image into workFolder/background/ as background.<ext>, replacing only a
// file of that name, unless the chosen file already is that copy. Returns the path the start tag
// names ("background/background.<ext>").
QString installBackground(const QString& backgroundFile, const QString& workFolder);

// Escapes &, <, >, " and ' as XML entities, and line breaks as character references.
QString xmlEscaped(const QString& text);
