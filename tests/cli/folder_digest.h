// What a folder holds, for comparing walls and outputs: every file below it (hidden ones too) by
// relative path, with a digest of its bytes.
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>
#include <string>

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::map<QString, QByteArray> folderDigest(const QString& folder) {
    std::map<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[QDir(folder).relativeFilePath(path)] =
            QCryptographicHash::hash(readAll(path), QCryptographicHash::Sha256);
    }
    return files;
}

// The files that differ between two digests (changed, added or gone), for failure messages.
inline std::string digestDifferences(const std::map<QString, QByteArray>& a,
                                     const std::map<QString, QByteArray>& b) {
    QStringList names;
    for (const auto& [name, digest] : a) {
        if (!b.count(name) || b.at(name) != digest) {
            names << name;
        }
    }
    for (const auto& [name, digest] : b) {
        if (!a.count(name)) {
            names << name;
        }
    }
    return names.join(", ").toStdString();
}
