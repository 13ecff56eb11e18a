// Runs script in a page shown by a real browser engine, for the tests of the wall's preview and
// its host channel.
#pragma once

#include <QString>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>

// Runs a script in the page and waits for its result.
inline QVariant evaluate(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done; }, 10000)) {
        return QStringLiteral("no answer from the page");
    }
    return result;
}
