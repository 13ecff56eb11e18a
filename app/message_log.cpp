#include "app/message_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdlib>

namespace {

// The handler that was in place before: messages still reach the console as well.
QtMessageHandler previousHandler = nullptr;

void logMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    appendToMessageLog(messageLogLine(type, message));
    if (previousHandler && type != QtFatalMsg) {
        previousHandler(type, context, message);
    }
    if (type == QtFatalMsg) {
        std::abort();
    }
}

} // namespace

QString messageLogFile() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/flip.txt");
}

QString messageLogLine(QtMsgType type, const QString& message) {
    QString prefix = QStringLiteral("Fatal: ");
    switch (type) {
    case QtDebugMsg:
        prefix = QStringLiteral("Debug: ");
        break;
    case QtInfoMsg:
        prefix = QStringLiteral("Info: ");
        break;
    case QtWarningMsg:
        prefix = QStringLiteral("Warning: ");
        break;
    case QtCriticalMsg:
        prefix = QStringLiteral("Critical: ");
        break;
    case QtFatalMsg:
        break;
    }
    QStringList lines = message.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line.prepend(prefix);
    }
    return lines.join(QLatin1Char('\n'));
}

void appendToMessageLog(const QString& line, qint64 limit) {
    const QString path = messageLogFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFileInfo(path).size() >= limit) {
        const QString aside = path + QStringLiteral(".1");
        QFile::remove(aside);
        QFile::rename(path, aside);
    }
    QFile file(path);
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text, ownerOnly)) {
        return;
    }
    // A log left readable by an earlier version is closed to others as well.
    file.setPermissions(ownerOnly);
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << line << Qt::endl;
}

void installMessageLog() {
    previousHandler = qInstallMessageHandler(logMessage);
}
