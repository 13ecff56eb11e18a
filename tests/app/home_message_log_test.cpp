// The message log: every message of the Qt message channel becomes one line of flip.txt in the
// per-user data folder.
#include "app/message_log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(MessageLog, FormatsEachKindOfMessage) {
    EXPECT_EQ(messageLogLine(QtDebugMsg, "a"), QStringLiteral("Debug: a"));
    EXPECT_EQ(messageLogLine(QtWarningMsg, "b"), QStringLiteral("Warning: b"));
    EXPECT_EQ(messageLogLine(QtCriticalMsg, "c"), QStringLiteral("Critical: c"));
    EXPECT_EQ(messageLogLine(QtFatalMsg, "d"), QStringLiteral("Fatal: d"));
    EXPECT_EQ(messageLogLine(QtInfoMsg, "dump\nof\n3"),
              QStringLiteral("Info: dump\nInfo: of\nInfo: 3"));
}

namespace {

// The program's application object, with its data folder in a fresh scratch folder.
struct LogApplication {
    LogApplication() : app(argc, argv) {
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        QCoreApplication::setOrganizationName(QStringLiteral("Quorvex"));
        QCoreApplication::setApplicationName(QStringLiteral("Quorvex Murano"));
    }

    QTemporaryDir data;
    int argc = 1;
    char name[7] = "murano";
    char* argv[2] = {name, nullptr};
    QCoreApplication app;
};

} // namespace

TEST(MessageLog, AppendsEveryMessageAsOneLineToFlipTxt) {
    LogApplication application;
    const QTemporaryDir& data = application.data;
    ASSERT_TRUE(messageLogFile().startsWith(data.path()));
    ASSERT_TRUE(messageLogFile().endsWith(QStringLiteral("/flip.txt")));

    installMessageLog();
    qDebug("first %d", 1);
    qWarning() << "second";
    qInstallMessageHandler(nullptr);

    QFile log(messageLogFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("Debug: first 1\nWarning: second\n"));
    EXPECT_FALSE(log.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

// The log is its owner's alone, also when an earlier version left it readable, and a full log is
// moved aside once, so that at most two bounded files remain.
TEST(MessageLog, StaysOwnerOnlyAndBounded) {
    LogApplication application;
    const QString path = messageLogFile();
    appendToMessageLog(QStringLiteral("old"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadOther | QFileDevice::ReadGroup));
    for (int i = 0; i < 40; ++i) {
        appendToMessageLog(QStringLiteral("line %1 ").arg(i) + QString(20, QLatin1Char('x')), 200);
        EXPECT_LE(QFileInfo(path).size(), 200 + 40) << i;
    }
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteGroup | QFileDevice::WriteOther;
    for (const QString& file : {path, path + QStringLiteral(".1")}) {
        ASSERT_TRUE(QFile::exists(file)) << file.toStdString();
        EXPECT_EQ(QFile::permissions(file) & others, QFileDevice::Permissions())
            << file.toStdString();
    }
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".2")));
    QFile last(path);
    ASSERT_TRUE(last.open(QIODevice::ReadOnly));
    EXPECT_TRUE(last.readAll().endsWith("line 39 xxxxxxxxxxxxxxxxxxxx\n"));
}
