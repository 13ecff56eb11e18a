// The whole state of a wall, without any window: its look (background, logo, link, player
// buttons, book information) and its image list (the gallery index), read from and written to the
// user settings file and the gallery index. Windows only show and edit it; applyWall() turns it
// into the files of the work folder that the player plays.
#pragma once

#include "wall/gallery_index.h"
#include "wall/user_settings.h"
#include "wall/wall_look.h"

#include <QObject>
#include <QString>
#include <QStringList>

class WallProject : public QObject {
    Q_OBJECT

public:
    explicit WallProject(QObject* parent = nullptr);

    const WallLook& look() const { return look_; }
    void setLook(const WallLook& look);
    void setBook(const BookDetails& book);
    void setHiddenButtons(const HiddenButtons& hidden);

    // The gallery index as held in memory; its start tag is rebuilt by every applyWall().
    const GalleryIndex& index() const { return index_; }
    // Replaces the image lines with one per gallery number, in wall order.
    void setImages(const QStringList& imageNumbers);
    // After an import into workFolder: empty book information takes the deck's title and author
    // from the wall's words, and a deck in a right-to-left language makes the book read from right
    // to left (a deck in any other language leaves the direction as it was set).
    void takeDeckDetails(const QString& workFolder);

    // Restores the look from the user settings file, or on a first start takes the look the wall
    // in workFolder shows (its index's start tag, over the first-start defaults) and writes it
    // there, so that the settings page shows what the wall shows. The settings file is remembered
    // for applyWall(). An unreadable file changes nothing.
    UserSettingsSource loadSettings(const QString& settingsFile, const QString& applicationFolder,
                                    const QString& workFolder);
    QString settingsFile() const { return settingsFile_; }

    // Reads the work folder's gallery index into memory.
    bool loadIndex(const QString& workFolder);

    // After a project was opened into workFolder: reads its index and makes the look its start
    // tag holds the wall's look, saved to the settings file, so that the next Apply or import
    // keeps the project's look. Returns what went wrong (empty when all went well).
    QStringList adoptWall(const QString& workFolder);

signals:
    void changed();

private:
    WallLook look_;
    GalleryIndex index_;
    QString settingsFile_;
};

// The gallery index of a work folder: workFolder + "/xml/images.xml".
QString galleryIndexPath(const QString& workFolder);

// The book title the wall's index holds (its book information), "" when it has none.
QString wallBookTitle(const QString& workFolder);

// Apply, without windows: repairs the work folder from the template, writes the user settings
// file, copies the logo and (for an image background) the background into the work folder,
// rebuilds the start tag and writes the index and its script twin. A chosen logo or background
// that is gone leaves the wall's own copy in place. Returns what went wrong, each saying where
// (empty when all went well); a failed write leaves the old index and its twin as they were.
QStringList applyWall(const WallProject& project, const QString& workFolder);

// Shows or hides the player's full-screen button by editing the index in place (and its twin),
// without rebuilding anything. An unreadable index is never replaced.
void showFullScreenButton(const QString& workFolder, bool shown);
