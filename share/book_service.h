// What the upload dialog says to the online book service and reads from its answers, without
// windows: the service's address, form bodies, the login reply, book names and addresses, and the
// size, rate and time texts of a running upload.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class QNetworkReply;

// The service's base URL, ending in "/": the environment variable MURANO_BOOK_SERVICE when set
// (a "/" is added when missing), otherwise http://127.0.0.1:8080/.
QString bookServiceUrl();

// An application/x-www-form-urlencoded body: each key and value percent-encoded as UTF-8 (spaces
// as "%20"), pairs joined by "&" in the order given, so that any character reaches the service.
QByteArray formBody(const QList<QPair<QString, QString>>& pairs);

// What a login reply says. Success needs "ccess" and "userID="; without "userEmail" the account
// is not complete and nothing changes on screen.
struct LoginReply {
    enum class Outcome { LoggedIn, Incomplete, UnknownName, WrongPassword, Unrecognised };
    Outcome outcome = Outcome::Unrecognised;
    QString userId;
    QString email;
};
LoginReply evaluateLoginReply(const QString& text);

// Every space and every character that is not a letter, a decimal digit or "_" becomes "-"; the
// length stays the same.
QString normaliseBookName(QString name);

// base + "u/" + userId + "/flipbook/" + bookName + "/index.html"; the book folder
// base + "u/" + userId + "/flipbook" for an empty bookName when shelfWhenEmpty is set.
QString bookAddress(const QString& base, const QString& userId, const QString& bookName,
                    bool shelfWhenEmpty = false);
// "<a href=" + url + "> " + url + "</a>".
QString linkText(const QString& url);

// "%3.1f MB" above 1048576 bytes, "%3.1f KB" up to it.
QString sizeText(qint64 bytes);
// One progress report of a running upload: the bar's percent (bytesSent * 100 / bytesTotal, 0
// for a total of 0) and the status text "Upload -- <sent> KB of <total> ( <rate> KB/sec ) --
// <n> seconds remaining", which a report in the same millisecond as the start goes without.
struct UploadProgress {
    int percent = 0;
    std::optional<QString> text;
};
UploadProgress uploadProgress(qint64 bytesSent, qint64 bytesTotal, qint64 elapsedMs,
                              const QString& totalText);

// The text of a reply up to its first zero byte, in the process codec.
QString replyText(const QByteArray& body);
// Why a finished request brought no answer from the service (refused, unreachable, cut off, timed
// out), addressed to the user with the service's address; empty when the service answered, even
// with an HTTP error status, since its answer then says what went wrong.
QString transportFailure(const QNetworkReply& reply, const QString& serviceUrl);

// Whether an upload reply carries the success marker "URL[" after its first character.
bool isUploadSuccess(const QString& reply);
