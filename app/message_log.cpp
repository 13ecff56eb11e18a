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
    switch (type) {
    case QtDebugMsg:
        return QStringLiteral("Debug: %1").arg(message);
    case QtInfoMsg:
        return QStringLiteral("Info: %1").arg(message);
    case QtWarningMsg:
        return QStringLiteral("Warning: %1").arg(message);
    case QtCriticalMsg:
        return QStringLiteral("Critical: %1").arg(message);
    case QtFatalMsg:
        break;
    }
    return QStringLiteral("Fatal: %1").arg(message);
}

void appendToMessageLog(const QString& line) {
    const QString path = messageLogFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        return;
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Utf8);
    out << line << Qt::endl;
}

void installMessageLog() {
    previousHandler = qInstallMessageHandler(logMessage);
}
