#include "share/upload_job.h"

#include "share/book_packing.h"
#include "share/book_service.h"
#include "share/multipart_stream.h"

#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QUrl>

#include <memory>
#include <utility>

UploadJob::UploadJob(QNetworkAccessManager* network, QObject* parent)
    : Job(parent), network_(network) {}

UploadJob::~UploadJob() {
    dropReply();
    if (packer_) {
        packer_->disconnect(this);
        packer_->wait();
        delete packer_;
        QFile::remove(request_.archivePath);
    }
}

void UploadJob::begin() {
    ++run_;
    failure_ = Failure::None;
    askPoints();
}

// A stop ends the run at once: a waiting request is dropped, a transfer aborted, and an archive
// still being packed is removed once its packer ends.
void UploadJob::stop() {
    dropReply();
    if (!packer_) {
        QFile::remove(request_.archivePath);
    }
    finish(JobResult::stopped());
}

void UploadJob::dropReply() {
    if (QNetworkReply* reply = std::exchange(reply_, nullptr)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

QNetworkReply* UploadJob::post(const QString& path, const QByteArray& body) {
    QNetworkRequest request(QUrl(request_.serviceUrl + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(request_.timeoutMs);
    reply_ = network_->post(request, body);
    return reply_;
}

bool UploadJob::answered(QNetworkReply* reply) {
    reply_ = nullptr;
    reply->deleteLater();
    const QString failure = transportFailure(*reply, request_.serviceUrl);
    if (!failure.isEmpty()) {
        fail(Failure::Unreachable, failure);
    }
    return failure.isEmpty();
}

void UploadJob::fail(Failure why, const QString& message) {
    failure_ = why;
    QFile::remove(request_.archivePath);
    finish(JobResult::failure(message));
}

// The points are asked for as the service expects before an upload; their value is not used.
void UploadJob::askPoints() {
    QNetworkReply* reply = post(QStringLiteral("app/paypal/paypal.php"),
                                formBody({{QStringLiteral("action"), QStringLiteral("getPoint")},
                                          {QStringLiteral("uEmail"), request_.email}}));
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (answered(reply)) {
            askExistence();
        }
    });
}

void UploadJob::askExistence() {
    QNetworkReply* reply = post(QStringLiteral("app/flipbook/fileexist.php"),
                                formBody({{QStringLiteral("username"), request_.userName},
                                          {QStringLiteral("bookname"), request_.bookName}}));
    connect(reply, &QNetworkReply::finished, this, [this, reply] { existenceAnswered(reply); });
}

void UploadJob::existenceAnswered(QNetworkReply* reply) {
    if (!answered(reply)) {
        return;
    }
    if (replyText(reply->readAll()).contains(QLatin1String("has exist"))) {
        fail(Failure::BookExists, tr("The book exists on the internet,\nplease try another one."));
        return;
    }
    pack();
}

// Packing runs off the GUI thread. A stopped run's packer may still be running when the next run
// is ready to pack: that one then packs once the old packer has ended, so two never write the same
// archive.
void UploadJob::pack() {
    if (packer_) {
        packWhenPackerEnds_ = true;
        return;
    }
    const BookPacking packing{request_.workFolder, request_.bookName, request_.meta,
                              request_.pagePath, request_.archivePath};
    auto result = std::make_shared<JobResult>();
    packer_ = QThread::create([packing, result] { *result = packBook(packing); });
    connect(packer_, &QThread::finished, this, [this, result, run = run_] {
        packer_->deleteLater();
        packer_ = nullptr;
        packed(run, *result);
    });
    packer_->start();
}

void UploadJob::packed(int run, const JobResult& result) {
    if (run != run_ || cancelled()) {
        QFile::remove(request_.archivePath); // a stopped run's archive
        if (std::exchange(packWhenPackerEnds_, false)) {
            pack(); // for the run that waited for it
        }
    } else if (!result.ok()) {
        fail(Failure::Packing, result.message);
    } else {
        send();
    }
}

void UploadJob::send() {
    totalSizeText_ = sizeText(QFileInfo(request_.archivePath).size());
    auto* body = new MultipartStream(request_.archivePath, request_.userName, request_.bookName);
    if (!body->open(QIODevice::ReadOnly)) {
        delete body;
        fail(Failure::Packing, tr("The archive %1 cannot be opened.").arg(request_.archivePath));
        return;
    }
    QNetworkRequest request(QUrl(request_.serviceUrl + "app/flipbook/fp-zip.php"));
    request.setRawHeader("Content-Type", uploadContentType());
    request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
    request.setTransferTimeout(request_.timeoutMs);
    QNetworkReply* reply = network_->post(request, body);
    reply_ = reply;
    body->setParent(reply);
    transferClock_.start();
    emit transferStarted(totalSizeText_);
    connect(reply, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64 total) {
        // The transfer's last report, as it ends, knows no total: it says nothing of progress.
        if (total <= 0) {
            return;
        }
        const UploadProgress shown =
            uploadProgress(sent, total, transferClock_.elapsed(), totalSizeText_);
        report(sent, total, shown.text.value_or(QString()));
        if (sent == total) {
            emit transferSent();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { sent(reply); });
}

void UploadJob::sent(QNetworkReply* reply) {
    reply_ = nullptr;
    reply->deleteLater();
    QFile::remove(request_.archivePath);
    const QString failure = transportFailure(*reply, request_.serviceUrl);
    if (!failure.isEmpty()) {
        fail(Failure::Unreachable, failure);
        return;
    }
    const QString text = replyText(reply->readAll());
    if (!isUploadSuccess(text)) {
        fail(Failure::Refused, tr("The book service did not take the book:\n%1").arg(text));
        return;
    }
    finish(JobResult::done());
}

LoginJob::LoginJob(QNetworkAccessManager* network, QObject* parent)
    : Job(parent), network_(network) {}

void LoginJob::setLogin(const QString& serviceUrl, const QString& userName, const QString& password,
                        int timeoutMs) {
    serviceUrl_ = serviceUrl;
    userName_ = userName;
    password_ = password;
    timeoutMs_ = timeoutMs;
}

QString LoginJob::refusalText(LoginReply::Outcome outcome) {
    switch (outcome) {
    case LoginReply::Outcome::UnknownName:
        return tr("The user name is incorrect.\nPlease try again.");
    case LoginReply::Outcome::WrongPassword:
        return tr("The password is incorrect.\nPlease try again.");
    case LoginReply::Outcome::Incomplete:
        return tr("The account is not complete: it has no e-mail address.");
    case LoginReply::Outcome::LoggedIn:
    case LoginReply::Outcome::Unrecognised:
        break;
    }
    return tr("The book service gave an answer murano does not know.");
}

void LoginJob::begin() {
    reply_ = LoginReply();
    reached_ = false;
    QNetworkRequest request(QUrl(serviceUrl_ + QStringLiteral("__app_wp_login.php")));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(timeoutMs_);
    pending_ = network_->post(request, formBody({{QStringLiteral("log"), userName_},
                                                 {QStringLiteral("pwd"), password_}}));
    connect(pending_, &QNetworkReply::finished, this, [this, answer = pending_] {
        pending_ = nullptr;
        answer->deleteLater();
        const QString failure = transportFailure(*answer, serviceUrl_);
        if (!failure.isEmpty()) {
            finish(JobResult::failure(failure));
            return;
        }
        reached_ = true;
        reply_ = evaluateLoginReply(replyText(answer->readAll()));
        finish(reply_.outcome == LoginReply::Outcome::LoggedIn
                   ? JobResult::done()
                   : JobResult::failure(refusalText(reply_.outcome)));
    });
}

void LoginJob::stop() {
    if (QNetworkReply* pending = std::exchange(pending_, nullptr)) {
        pending->disconnect(this);
        pending->abort();
        pending->deleteLater();
    }
    finish(JobResult::stopped());
}
