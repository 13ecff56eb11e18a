#include "wall/wall_project.h"
#include "wall/deck_words.h"
#include "wall/wall_folder.h"

#include "platform/player/gallery_script.h"
#include "wall/locations.h"
#include "wall/work_folder.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString unwritableSettings(const QString& settingsFile) {
    return QStringLiteral("The settings file \"%1\" cannot be written.").arg(settingsFile);
}

} // namespace

WallProject::WallProject(QObject* parent) : QObject(parent) {}

void WallProject::setLook(const WallLook& look) {
    if (look == look_) {
        return;
    }
    look_ = look;
    emit changed();
}

void WallProject::setBook(const BookDetails& book) {
    WallLook look = look_;
    look.setBook(book);
    setLook(look);
}

void WallProject::setHiddenButtons(const HiddenButtons& hidden) {
    WallLook look = look_;
    look.setHiddenButtons(hidden);
    setLook(look);
}

void WallProject::setImages(const QStringList& imageNumbers) {
    index_.setImageLines(imageNumbers);
    emit changed();
}

void WallProject::takeDeckDetails(const QString& workFolder) {
    if (const std::optional<DeckWords> words = readWallWords(WallFolder(workFolder))) {
        WallLook look = look_;
        look.setBook(bookWithDeckDetails(look.book(), *words));
        look.rightToLeft = look.rightToLeft || readsRightToLeft(words->language);
        setLook(look);
    }
}

UserSettingsSource WallProject::loadSettings(const QString& settingsFile,
                                             const QString& applicationFolder,
                                             const QString& workFolder) {
    settingsFile_ = settingsFile;
    const auto shownByTheWall = [&workFolder](const WallLook& defaults) {
        GalleryIndex shown;
        shown.load(galleryIndexPath(workFolder));
        return lookFromStartTag(shown.startTag(), workFolder, defaults);
    };
    const UserSettingsStart start =
        startUserSettings(settingsFile, applicationFolder, look_, shownByTheWall);
    if (start.source != UserSettingsSource::Unreadable) {
        // The slideshow and the reading direction live in the start tag alone (the settings file
        // has no place for them), so they always come from the wall.
        WallLook look = start.values;
        const WallLook shown = shownByTheWall(look);
        look.autoplaySeconds = shown.autoplaySeconds;
        look.rightToLeft = shown.rightToLeft;
        setLook(look);
    }
    return start.source;
}

bool WallProject::loadIndex(const QString& workFolder) {
    const bool read = index_.load(galleryIndexPath(workFolder));
    emit changed();
    return read;
}

QStringList WallProject::adoptWall(const QString& workFolder) {
    loadIndex(workFolder);
    setLook(lookFromStartTag(index_.startTag(), workFolder, look_));
    if (!settingsFile_.isEmpty() && !saveUserSettings(settingsFile_, look_)) {
        return {unwritableSettings(settingsFile_)};
    }
    return {};
}

QString galleryIndexPath(const QString& workFolder) {
    return WallFolder(workFolder).index();
}

QString wallBookTitle(const QString& workFolder) {
    GalleryIndex index;
    index.load(galleryIndexPath(workFolder));
    return lookFromStartTag(index.startTag(), workFolder, WallLook()).bookTitle;
}

namespace {

// The wall's own copy of a logo or background ("logo/logo.png"), when there is one.
QString wallCopy(const QString& workFolder, const QString& folder, const QString& name) {
    const QStringList copies = QDir(workFolder + QLatin1Char('/') + folder)
                                   .entryList({name + QStringLiteral(".*")}, QDir::Files);
    return copies.isEmpty() ? QString()
                            : workFolder + QLatin1Char('/') + folder + '/' + copies.first();
}

// A chosen picture that is gone: the wall keeps showing its own copy, and says so.
bool keepsWallCopy(const QString& chosen, const QString& what, const QString& workFolder,
                   const QString& folder, QString& shown, QStringList& problems) {
    if (QFileInfo(chosen).isFile()) {
        return false;
    }
    problems << QStringLiteral("The %1 \"%2\" cannot be read; the wall keeps its own.")
                    .arg(what, chosen);
    const QString copy = wallCopy(workFolder, folder, folder);
    if (!copy.isEmpty()) {
        shown = copy;
    }
    return true;
}

} // namespace

QStringList applyWall(const WallProject& project, const QString& workFolder) {
    QStringList problems;
    repairWorkFolder(workFolder, templateFolder());
    const WallLook& look = project.look();
    if (!project.settingsFile().isEmpty() && !saveUserSettings(project.settingsFile(), look)) {
        problems << unwritableSettings(project.settingsFile());
    }
    WallLook shown = look;
    if (!keepsWallCopy(look.logoFile, QStringLiteral("logo"), workFolder, QStringLiteral("logo"),
                       shown.logoFile, problems)) {
        installLogo(look.logoFile, workFolder);
    }
    if (look.mode == BackgroundMode::Image &&
        !keepsWallCopy(look.backgroundFile, QStringLiteral("background"), workFolder,
                       QStringLiteral("background"), shown.backgroundFile, problems)) {
        installBackground(look.backgroundFile, workFolder);
    }
    GalleryIndex index = project.index();
    index.setStartTag(galleryStartTag(shown));
    const QString path = galleryIndexPath(workFolder);
    if (!index.write(path)) {
        problems << QStringLiteral("The gallery index \"%1\" cannot be written.")
                        .arg(QDir::cleanPath(path));
        return problems;
    }
    return problems;
}

void showFullScreenButton(const QString& workFolder, bool shown) {
    const QString hidden = QStringLiteral("btn_fullscreen=\"0\"");
    const QString visible = QStringLiteral("btn_fullscreen=\"1\"");
    const QString path = galleryIndexPath(workFolder);
    if (replaceInIndex(path, shown ? hidden : visible, shown ? visible : hidden)) {
        murano::player::writeGalleryScript(path);
    }
}
