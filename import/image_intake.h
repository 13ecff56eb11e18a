// Takes the slide images a conversion left in the staging folder into the wall: a thumbnail of
// every slide, the selected slides and their thumbnails under their gallery names, the deck's
// words for those slides beside the index (or none), and the staging folder removed. It can be
// stopped until the new slides replace the wall's in one step. Runs without widgets, so it can
// work off the GUI thread.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

struct IntakeRequest {
    QString workFolder; // ends with "/"
    bool allPages = true;
    int imageCount = 0; // slide images the converter reported
    int firstIndex = 0; // all pages: copy slides firstIndex .. lastIndex - 1
    int lastIndex = 0;
    QStringList chooesPage; // custom range: page entries as parsed
    int chooesPageNum = 0;
    int threads = 0; // thumbnail workers; 0 picks one per core
    // The thumbnails are in the staged thumbnails folder already (made part by part while a split
    // conversion was still running, see appendThumbnails()).
    bool thumbnailsMade = false;
    // Set from another thread to stop: the wall keeps its slides and the staging folder goes.
    const std::atomic<bool>* cancelled = nullptr;
};

struct IntakeResult {
    QSize pixSize{-1, -1};    // size of the first listed slide image
    QStringList copiedImages; // destination paths of the slide copies, in copy order
    bool cancelled = false;   // stopped before the slides went into the wall
};

// Called with the number of thumbnails made so far and their total; may be called from workers.
using IntakeProgress = std::function<void(int done, int total)>;

// Workers for `tasks` pieces of work: `requested` where it is positive, else one per core and
// `beyondCores` more; never more than the tasks, never none.
int workerCount(int requested, int tasks, int beyondCores = 0);

IntakeResult runImageIntake(const IntakeRequest& request, const IntakeProgress& progress = {});

// The JPEG files of a folder in listing order: every file whose lower-cased name contains ".jpg".
// Each path keeps the file's real name, so it opens on a case-sensitive file system too.
QStringList listJpegs(const QString& folder);

// Sorts paths by their lower-cased file names, shorter first and equal lengths by text, so that
// Slide2 comes before Slide10.
void SlideOrder(QStringList& paths, int count);

// Deletes every file of the folder whose lower-cased name contains ".jpg".
void ClearJpegs(const QString& folder);

// A thumbnail 180 pixels wide, keeping the image's shape, for every image of source, named
// zapper1.jpg, zapper2.jpg, ... in slide order. Returns the size of the first listed image, or (-1,
// -1).
QSize MakeThumbnails(const QString& source, const QString& target, int threads,
                     const IntakeProgress& progress, const std::atomic<bool>* cancelled = nullptr);

// Moves the thumbnails zapper1.jpg, zapper2.jpg, ... of `from` into `to`, numbered after the
// `offset` thumbnails there: those of a later part of a split conversion follow the earlier
// parts'. False when one cannot be moved.
bool appendThumbnails(const QString& from, const QString& to, int offset);

// Copies the selected images of source into target under their gallery names, never overwriting.
QStringList CopySelected(const QString& target, const QString& source,
                         const IntakeRequest& request);

// Saves the thumbnail of a slide image: 180 pixels wide, keeping the image's shape.
bool saveThumbnail(const QImage& slide, const QString& target);

// Writes the wall's new slide images and thumbnails into the two folders it is given (which
// already hold the wall's files that are no slides); false to keep the wall's slides.
using FillSlides = std::function<bool(const QString& images, const QString& thumbnails)>;
// The wall's slides replaced by new ones in one step: they are put together beside the wall's
// by `fill` and moved in only when it succeeds, so that a failure, a stop or a kill while they are
// written leaves the wall as it was. True when the new slides are in the wall.
bool replaceWallSlides(const QString& workFolder, const FillSlides& fill);

// The gallery name of a page entry: its number without the blanks typed around it.
QString galleryName(const QString& pageEntry);
