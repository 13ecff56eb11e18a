#include "import/image_intake.h"
#include "import/block_average.h"
#include "import/jpeg_writer.h"
#include "wall/wall_folder.h"

#include "import/page_range.h"
#include "wall/deck_words.h"
#include "wall/folders.h"
#include "wall/gallery_index.h"
#include "wall/staging_folder.h"
#include "wall/text_lines.h"

#include <QColor>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <atomic>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Thumbnails are 180 pixels wide and keep the slide's shape; a slide that cannot be read gets a
// 4:3 placeholder.
constexpr int kThumbnailWidth = 180;
const QSize kPlaceholderSize(kThumbnailWidth, 135);
constexpr int kThumbnailQuality = 100;

QString lowerName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toLower();
}

bool slideLess(const QString& a, const QString& b) {
    const QString left = lowerName(a);
    const QString right = lowerName(b);
    if (left.size() != right.size()) {
        return left.size() < right.size();
    }
    return left < right;
}

void prepareFolder(const QString& folder) {
    QDir().mkpath(folder);
    ClearJpegs(folder);
}

QSize thumbnailSize(const QSize& slide) {
    return {kThumbnailWidth,
            std::max(1, qRound(kThumbnailWidth * double(slide.height()) / slide.width()))};
}

// A slide's picture read at its thumbnail's size: the JPEG decoder scales its blocks down as it
// decodes (a quarter of the work for a quarter of the width), then smooths the rest.
QImage readForThumbnail(const QString& source) {
    QImageReader reader(source);
    const QSize size = reader.size();
    if (size.isValid() && size.width() > kThumbnailWidth) {
        reader.setQuality(100); // smooth scaling after the decoder's
        reader.setScaledSize(thumbnailSize(size));
    }
    return reader.read();
}

// A slide that cannot be read still gets a thumbnail, a plain grey one, so that the k-th thumbnail
// keeps belonging to the k-th slide when the thumbnails are copied in order.
bool makeThumbnail(const QString& source, const QString& target) {
    const QImage image = readForThumbnail(source);
    if (image.isNull()) {
        QImage placeholder(kPlaceholderSize, QImage::Format_RGB32);
        placeholder.fill(QColor(64, 64, 64));
        writeJpeg(placeholder, target, kThumbnailQuality);
        return false;
    }
    return saveThumbnail(image, target);
}

// The staging folder is removed right after the intake, so a hard link gives the wall the very same
// bytes as a copy at a fraction of the cost; a file system without links gets a real copy.
void copyWithoutOverwrite(const QString& from, const QString& to, QStringList& copied) {
    if (QFile::exists(to)) {
        return;
    }
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::copy(from, to);
    }
    copied.append(to);
}

// The files of the wall's folder that are no slides stay with the new slides.
void keepOtherFiles(const QString& from, const QString& to) {
    QDir().mkpath(to);
    const QStringList names =
        QDir(from).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    QStringList kept;
    for (const QString& name : names) {
        if (!name.toLower().contains(QLatin1String(".jpg"))) {
            copyWithoutOverwrite(from + name, to + name, kept);
        }
    }
}

// The deck's number of each image the wall's index lists, in its order.
QList<int> deckNumbersOf(const IntakeRequest& request) {
    QList<int> numbers;
    const QStringList images =
        selectedImageNumbers(request.allPages, request.imageCount, request.firstIndex,
                             request.chooesPage, request.chooesPageNum);
    for (const QString& image : images) {
        // All pages: image k is the deck's slide k + 1; a range names the deck's slides.
        numbers << (request.allPages ? image.toInt() + 1 : image.toInt());
    }
    return numbers;
}

// The deck's words go beside the index, slide for slide as the index lists the images. A deck
// that gave none leaves the wall without words, never with an earlier deck's.
void takeWords(const WallFolder& work, const IntakeRequest& request) {
    QString error = QStringLiteral("the converter wrote none");
    const auto bytes = readRegularFile(work.conversionWords(), kTextFileLimit);
    const std::optional<DeckWords> deck = bytes ? parseDeckWords(*bytes, error) : std::nullopt;
    if (deck) {
        QDir().mkpath(QFileInfo(work.words()).path());
        DeckWords words = wallWords(*deck, deckNumbersOf(request));
        words.notesPublished = notesPublished(work); // the wall's choice outlives an import
        if (writeWallWords(work, words, error)) {
            return;
        }
    }
    removeWallWords(work);
    qWarning().noquote() << "The deck's words are left out of the wall (" + error +
                                "); its slides are imported.";
}

QString thumbnailName(int number) {
    return QStringLiteral("zapper%1.jpg").arg(number);
}

QSize firstImageSize(const QStringList& images) {
    const QSize pixSize = images.isEmpty() ? QSize(-1, -1) : QImageReader(images.first()).size();
    qDebug() << "pixSize" << pixSize;
    return pixSize;
}

} // namespace

int workerCount(int requested, int tasks, int beyondCores) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(requested > 0 ? requested : cores + beyondCores, 1, std::max(1, tasks));
}

QString galleryName(const QString& pageEntry) {
    return pageEntry.trimmed();
}

QStringList listJpegs(const QString& folder) {
    QStringList paths;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString& name : names) {
        if (name.toLower().contains(QLatin1String(".jpg")) && paths.size() < kMaxPages) {
            paths.append(folder + name);
        }
    }
    return paths;
}

void SlideOrder(QStringList& paths, int count) {
    const int n = std::clamp(count, 0, static_cast<int>(paths.size()));
    std::stable_sort(paths.begin(), paths.begin() + n, slideLess);
}

void ClearJpegs(const QString& folder) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (name.toLower().contains(QLatin1String(".jpg"))) {
            QFile::remove(dir.filePath(name));
        }
    }
}

QSize MakeThumbnails(const QString& source, const QString& target, int threads,
                     const IntakeProgress& progress, const std::atomic<bool>* cancelled) {
    prepareFolder(target);
    QStringList images = listJpegs(source);
    const QSize pixSize = firstImageSize(images);
    SlideOrder(images, static_cast<int>(images.size()));

    const int total = static_cast<int>(images.size());
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    auto work = [&] {
        for (int n = next++; n < total && !(cancelled && *cancelled); n = next++) {
            makeThumbnail(images.at(n), target + thumbnailName(n + 1));
            const int finished = ++done;
            if (progress) {
                progress(finished, total);
            }
        }
    };
    std::vector<std::thread> workers;
    for (int i = 1; i < workerCount(threads, total); ++i) {
        workers.emplace_back(work);
    }
    work();
    for (std::thread& worker : workers) {
        worker.join();
    }
    return pixSize;
}

bool appendThumbnails(const QString& from, const QString& to, int offset) {
    QDir().mkpath(to);
    const int count = static_cast<int>(listJpegs(from).size());
    for (int n = 1; n <= count; ++n) {
        if (!QFile::rename(from + thumbnailName(n), to + thumbnailName(n + offset))) {
            return false;
        }
    }
    return true;
}

QStringList CopySelected(const QString& target, const QString& source,
                         const IntakeRequest& request) {
    prepareFolder(target);
    QStringList slides = listJpegs(source);
    SlideOrder(slides, request.imageCount);
    const int listed = static_cast<int>(slides.size());
    QStringList copied;
    if (request.allPages) {
        for (int i = request.firstIndex; i < request.lastIndex && i < listed; ++i) {
            copyWithoutOverwrite(slides.at(i), target + QString::number(i) + ".jpg", copied);
        }
        return copied;
    }
    const int count = std::min<int>(request.chooesPageNum, request.chooesPage.size());
    for (int k = 0; k < count; ++k) {
        const QString& entry = request.chooesPage.at(k);
        const int position = pageValue(entry) - 1;
        if (position >= 0 && position < listed) {
            copyWithoutOverwrite(slides.at(position), target + galleryName(entry) + ".jpg", copied);
        }
    }
    return copied;
}

bool saveThumbnail(const QImage& slide, const QString& target) {
    const QSize size = thumbnailSize(slide.size());
    const int factor = std::min(slide.width() / size.width(), slide.height() / size.height());
    return writeJpeg(
        blockAveraged(slide, factor).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        target, kThumbnailQuality);
}

bool replaceWallSlides(const QString& workFolder, const FillSlides& fill) {
    const WallFolder work(workFolder);
    StagingFolder staging(work.root());
    if (!staging.created()) {
        return false;
    }
    const QString fresh = WallFolder(staging.path()).images();
    const QString thumbs = WallFolder(staging.path()).thumbnails();
    keepOtherFiles(work.images(), fresh);
    keepOtherFiles(work.thumbnails(), thumbs);
    return fill(fresh, thumbs) && staging.moveInto({QDir(work.images()).dirName()});
}

IntakeResult runImageIntake(const IntakeRequest& request, const IntakeProgress& progress) {
    const WallFolder work(request.workFolder);
    const auto stopped = [&request] { return request.cancelled && *request.cancelled; };
    IntakeResult result;
    if (request.thumbnailsMade) {
        result.pixSize = firstImageSize(listJpegs(work.conversionStaging()));
        if (progress) {
            progress(request.imageCount, request.imageCount);
        }
    } else {
        result.pixSize = MakeThumbnails(work.conversionStaging(), work.stagedThumbnails(),
                                        request.threads, progress, request.cancelled);
    }
    // A run killed or stopped before the new slides replace the wall's leaves the wall's slides,
    // and its index, as they were.
    QString fresh;
    QStringList copied;
    const bool replaced = !stopped() && replaceWallSlides(work.root(), [&](const QString& images,
                                                                           const QString& thumbs) {
        fresh = images;
        copied = CopySelected(images, work.conversionStaging(), request);
        CopySelected(thumbs, work.stagedThumbnails(), request);
        return !stopped();
    });
    result.cancelled = stopped();
    if (replaced) {
        for (const QString& path : copied) {
            result.copiedImages << work.images() + path.mid(fresh.size());
        }
        takeWords(work, request);
    }
    removeTree(work.conversionStaging());
    return result;
}
