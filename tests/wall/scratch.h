// A private scratch folder per test and small file helpers for the wall tests.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// The lines of a file split at "\n", with the empty piece after the last line end dropped.
inline QStringList fileLines(const QString& path) {
    QStringList lines = QString::fromUtf8(readFile(path)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// A small template folder laid out as the real one.
inline void makeTemplate(const QString& folder) {
    writeFile(folder + "index.html", "<!DOCTYPE html>\n<html>\n<head>\n<title>Wall</title>\n");
    writeFile(folder + "swfobject.js", "// player\n");
    writeFile(folder + "main.swf", "FWS\x0a");
    writeFile(folder + "xml/images.xml", "<?xml version=\"1.0\"?>\n<gallery >\n</gallery>\n");
    writeFile(folder + "background/background.jpg", "jpg");
    writeFile(folder + "logo/logo.png", "png");
    QDir().mkpath(folder + "wallimages/thumbs");
}
