#include "share/credentials.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Creates the file empty at mode 0600 when missing, so the password never sits in a file others
// may read, not even for a moment.
void prepareFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly)) {
        file.close();
    }
    file.setPermissions(kOwnerOnly);
}

} // namespace

QString credentialsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           "/quorrvexmuranosetting.ini";
}

Credentials readCredentials() {
    const QSettings settings(credentialsFile(), QSettings::IniFormat);
    return {settings.value("Usr/Usr").toString(), settings.value("Usr/Inf").toString()};
}

void writeCredentials(const Credentials& credentials) {
    const QString path = credentialsFile();
    prepareFile(path);
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("Usr/Usr", credentials.userName);
        settings.setValue("Usr/Inf", credentials.password);
    }
    QFile::setPermissions(path, kOwnerOnly);
}
