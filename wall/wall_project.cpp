#include "wall/wall_project.h"

#include "platform/player/gallery_script.h"
#include "wall/locations.h"
#include "wall/work_folder.h"

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

UserSettingsSource WallProject::loadSettings(const QString& settingsFile,
                                             const QString& applicationFolder) {
    settingsFile_ = settingsFile;
    const UserSettingsStart start = startUserSettings(settingsFile, applicationFolder, look_);
    if (start.source == UserSettingsSource::Unreadable) {
        return start.source;
    }
    WallLook look = start.values;
    if (start.source == UserSettingsSource::FirstStart) {
        look.pureColor = look_.pureColor;
    }
    setLook(look);
    return start.source;
}

bool WallProject::loadIndex(const QString& workFolder) {
    const bool read = index_.load(galleryIndexPath(workFolder));
    emit changed();
    return read;
}

QString galleryIndexPath(const QString& workFolder) {
    return workFolder + QStringLiteral("/xml/images.xml");
}

bool applyWall(const WallProject& project, const QString& workFolder) {
    repairWorkFolder(workFolder, templateFolder());
    const WallLook& look = project.look();
    if (!project.settingsFile().isEmpty()) {
        saveUserSettings(project.settingsFile(), look);
    }
    installLogo(look.logoFile, workFolder);
    if (look.mode == BackgroundMode::Image) {
        installBackground(look.backgroundFile, workFolder);
    }
    GalleryIndex index = project.index();
    index.setStartTag(galleryStartTag(look));
    const QString path = galleryIndexPath(workFolder);
    if (!index.write(path)) {
        return false;
    }
    murano::player::writeGalleryScript(path);
    return true;
}

void showFullScreenButton(const QString& workFolder, bool shown) {
    const QString hidden = QStringLiteral("btn_fullscreen=\"0\"");
    const QString visible = QStringLiteral("btn_fullscreen=\"1\"");
    const QString path = galleryIndexPath(workFolder);
    if (replaceInIndex(path, shown ? hidden : visible, shown ? visible : hidden)) {
        murano::player::writeGalleryScript(path);
    }
}
