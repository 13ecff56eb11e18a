// The message log: every message of the Qt message channel becomes one line of flip.txt in the
// per-user data folder.
#include "app/message_log.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(MessageLog, FormatsEachKindOfMessage) {
    EXPECT_EQ(messageLogLine(QtDebugMsg, "a"), QStringLiteral("Debug: a"));
    EXPECT_EQ(messageLogLine(QtWarningMsg, "b"), QStringLiteral("Warning: b"));
    EXPECT_EQ(messageLogLine(QtCriticalMsg, "c"), QStringLiteral("Critical: c"));
    EXPECT_EQ(messageLogLine(QtFatalMsg, "d"), QStringLiteral("Fatal: d"));
}

TEST(MessageLog, AppendsEveryMessageAsOneLineToFlipTxt) {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    int argc = 1;
    char name[] = "murano";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvex"));
    QCoreApplication::setApplicationName(QStringLiteral("Quorvex Murano"));
    ASSERT_TRUE(messageLogFile().startsWith(data.path()));
    ASSERT_TRUE(messageLogFile().endsWith(QStringLiteral("/flip.txt")));

    installMessageLog();
    qDebug("first %d", 1);
    qWarning() << "second";
    qInstallMessageHandler(nullptr);

    QFile log(messageLogFile());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("Debug: first 1\nWarning: second\n"));
}
