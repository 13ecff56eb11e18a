// An upload of the live wall as a named book to the online book service, for an account already
// logged in, without windows: the two checks the service expects (the account's points, whether
// the book exists), the packing off the GUI thread, and the streamed transfer with its progress
// (bytes, with the size, rate and time-left text the window shows). The upload dialog shows one,
// `murano upload` prints one. A stop ends the run at once; a packing still under way ends in the
// background and its archive is removed, and the next run waits for it before packing.
#pragma once

#include "platform/jobs/job.h"
#include "publish/book_copy.h"
#include "share/book_service.h"

#include <QElapsedTimer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QThread;

// Who uploads what where.
struct UploadRequest {
    QString serviceUrl; // ending in "/"
    QString userName;
    QString email;
    QString bookName;
    HtmlMeta meta;      // the page's title, keywords and description
    QString workFolder; // the live wall
    QString pagePath;   // where the rewritten page is kept while packing
    QString archivePath;
    int timeoutMs = 30000; // no answer (or no progress) for this long ends a request
};

class UploadJob : public Job {
    Q_OBJECT

public:
    // Why a run failed, for callers that branch; the result's message says it to the user.
    enum class Failure { None, Unreachable, BookExists, Packing, Refused };

    // Requests go through network, which holds the session the login left (its cookie).
    explicit UploadJob(QNetworkAccessManager* network, QObject* parent = nullptr);
    ~UploadJob() override;

    void setRequest(const UploadRequest& request) { request_ = request; }
    const UploadRequest& request() const { return request_; }
    Failure failure() const { return failure_; }

signals:
    // The transfer has begun, with the archive's size as the window shows it.
    void transferStarted(const QString& sizeText);
    // The transfer has sent everything; the service is storing the book.
    void transferSent();

protected:
    void begin() override;
    void stop() override;

private:
    QNetworkReply* post(const QString& path, const QByteArray& body);
    bool answered(QNetworkReply* reply);
    void askPoints();
    void askExistence();
    void existenceAnswered(QNetworkReply* reply);
    void pack();
    void packed(int run, const JobResult& result);
    void send();
    void sent(QNetworkReply* reply);
    void fail(Failure why, const QString& message);
    void dropReply();

    UploadRequest request_;
    QNetworkAccessManager* network_;
    QNetworkReply* reply_ = nullptr;
    QThread* packer_ = nullptr;
    bool packWhenPackerEnds_ = false;
    int run_ = 0; // counts runs, so that a stopped run's packing never goes on as a later one's
    QElapsedTimer transferClock_;
    QString totalSizeText_;
    Failure failure_ = Failure::None;
};

// A login to the online book service: the name and password posted, the answer read. The session
// it opens lives in the network access manager's cookies, for the upload that follows.
class LoginJob : public Job {
    Q_OBJECT

public:
    LoginJob(QNetworkAccessManager* network, QObject* parent = nullptr);

    void setLogin(const QString& serviceUrl, const QString& userName, const QString& password,
                  int timeoutMs);
    // What the service answered; its outcome is Unrecognised when no answer came (the result's
    // message then says why).
    const LoginReply& reply() const { return reply_; }
    // Whether the service answered at all (a refused login is an answer).
    bool reached() const { return reached_; }

    // What to tell the user of a refused login.
    static QString refusalText(LoginReply::Outcome outcome);

protected:
    void begin() override;
    void stop() override;

private:
    QNetworkAccessManager* network_;
    QNetworkReply* pending_ = nullptr;
    QString serviceUrl_;
    QString userName_;
    QString password_;
    int timeoutMs_ = 30000;
    LoginReply reply_;
    bool reached_ = false;
};
