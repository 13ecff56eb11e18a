#include "wall/wall_lock.h"

#include "platform/posix/advisory_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

WallLock::WallLock(const QString& workFolder, int waitMs) {
    QDir().mkpath(workFolder);
    lock_ =
        std::make_unique<posix::AdvisoryLock>(QFile::encodeName(workFolder).toStdString(), waitMs);
}

WallLock::~WallLock() = default;

bool WallLock::held() const {
    return lock_->held();
}

QString WallLock::inUseMessage(const QString& workFolder) {
    if (workFolder.isEmpty()) {
        return QCoreApplication::translate(
            "WallLock", "The wall is in use by another murano. Close it, or try again when it "
                        "has finished.");
    }
    return QCoreApplication::translate("WallLock",
                                       "The wall \"%1\" is in use by another murano. Try again "
                                       "when it has finished, or close the other window.")
        .arg(QDir::cleanPath(workFolder));
}
