// A wall laid out like the program's work folder, made from the built template folder: slide
// pictures and thumbnails under the names the gallery index gives them, a real start tag with a
// logo and a background whose names keep capital letters, and the index's script twin.
#pragma once

#include <QString>
#include <QStringList>

struct WallFixture {
    int slides = 3;
    bool drawPictures = false; // real JPEGs; otherwise a few bytes per file
    QString slideExtension = QStringLiteral(".jpg");
    QString bookTitle = QStringLiteral("Quarterly review");
};

// Copies the template folder (MURANO_BIN_DIR/flash) into folder and adds the wall's data.
void makeWall(const QString& folder, const WallFixture& wall);

// Every file a published page and its gallery index name, relative to the page's folder: the
// player script, the index and its twin, each slide and thumbnail, the logo and the background.
QStringList filesNamedByWall(const QString& folder);
