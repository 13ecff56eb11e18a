#include "share/book_service.h"

#include "wall/text_codec.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

const char* const kDefaultService = "http://127.0.0.1:8080/";

// The part of text after marker up to the next "&" or the end.
QString valueAfter(const QString& text, qsizetype start) {
    const qsizetype end = text.indexOf('&', start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

bool keepsInBookName(QChar c) {
    return c.category() == QChar::Letter_Uppercase || c.category() == QChar::Letter_Lowercase ||
           c.isDigit() || c == '_';
}

} // namespace

QString bookServiceUrl() {
    QString url = qEnvironmentVariable("MURANO_BOOK_SERVICE", QString::fromLatin1(kDefaultService));
    if (!url.endsWith('/')) {
        url += '/';
    }
    return url;
}

QByteArray formBody(const QList<QPair<QString, QString>>& pairs) {
    QByteArray body;
    for (const auto& [key, value] : pairs) {
        if (!body.isEmpty()) {
            body += '&';
        }
        body += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

LoginReply evaluateLoginReply(const QString& text) {
    LoginReply reply;
    if (text.contains(QLatin1String("ccess"))) {
        const qsizetype id = text.indexOf(QLatin1String("userID="));
        if (id < 0) {
            reply.outcome = LoginReply::Outcome::Incomplete;
            return reply;
        }
        reply.userId = valueAfter(text, id + 7);
        const qsizetype mail = text.indexOf(QLatin1String("userEmail"));
        if (mail < 0) {
            reply.outcome = LoginReply::Outcome::Incomplete;
            return reply;
        }
        reply.email = valueAfter(text, mail + 10);
        reply.outcome = LoginReply::Outcome::LoggedIn;
    } else if (text.contains(QLatin1String("Invalid"))) {
        reply.outcome = LoginReply::Outcome::UnknownName;
    } else if (text.contains(QLatin1String("incorrect"))) {
        reply.outcome = LoginReply::Outcome::WrongPassword;
    }
    return reply;
}

QString normaliseBookName(QString name) {
    for (QChar& c : name) {
        if (!keepsInBookName(c)) {
            c = '-';
        }
    }
    return name;
}

QString bookAddress(const QString& base, const QString& userId, const QString& bookName,
                    bool shelfWhenEmpty) {
    const QString shelf = base + "u/" + userId + "/flipbook";
    if (shelfWhenEmpty && bookName.isEmpty()) {
        return shelf;
    }
    return shelf + "/" + bookName + "/index.html";
}

QString linkText(const QString& url) {
    return "<a href=" + url + "> " + url + "</a>";
}

QString sizeText(qint64 bytes) {
    if (bytes > 1048576) {
        return QString::asprintf("%3.1f MB", double(bytes) / 1024 / 1024);
    }
    return QString::asprintf("%3.1f KB", double(bytes) / 1024);
}

UploadProgress uploadProgress(qint64 bytesSent, qint64 bytesTotal, qint64 elapsedMs,
                              const QString& totalText) {
    UploadProgress progress;
    progress.percent = bytesTotal == 0 ? 0 : int(bytesSent * 100 / bytesTotal);
    if (elapsedMs == 0) {
        return progress;
    }
    const qint64 remaining =
        bytesSent == 0 ? 0 : (bytesTotal - bytesSent) * elapsedMs / 1000 / bytesSent;
    progress.text = "Upload -- " + QString::asprintf("%5.1f KB", double(bytesSent) / 1024) +
                    " of " + totalText + " ( " +
                    QString::asprintf("%5.1f KB/sec", double(bytesSent) / double(elapsedMs)) +
                    " ) -- " + QString::number(remaining) + " seconds remaining";
    return progress;
}

QString replyText(const QByteArray& body) {
    return decodeProcessText(body);
}

QString transportFailure(const QNetworkReply& reply, const QString& serviceUrl) {
    if (reply.error() == QNetworkReply::NoError ||
        reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        return {};
    }
    const bool timedOut = reply.error() == QNetworkReply::TimeoutError ||
                          reply.error() == QNetworkReply::OperationCanceledError;
    const QString reason =
        timedOut ? QObject::tr("it did not answer in time.") : reply.errorString();
    return QObject::tr("The book service at %1 cannot be reached:\n%2").arg(serviceUrl, reason);
}

bool isUploadSuccess(const QString& reply) {
    return reply.indexOf(QLatin1String("URL[")) > 0;
}
