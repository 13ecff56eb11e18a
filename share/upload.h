// The upload dialog: the login page logs in to the online book service (the name and password
// may be remembered), the upload page packs the live wall and uploads it as a named book with
// live progress, then shows the book's public address. Every request runs asynchronously with a
// time-out, so the window never blocks; the same button cancels an attempt at any step.
#pragma once

#include "chrome/frameless_dialog.h"
#include "publish/book_copy.h"
#include "share/credentials.h"
#include "share/upload_job.h"

#include <QPoint>

#include <memory>

namespace Ui {
class upLoad;
}
class MymessgeBox;
class QFrame;
class QMovie;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;
class myLabel;

class upLoad : public FramelessDialog {
    Q_OBJECT

public:
    explicit upLoad(QWidget* parent = nullptr);
    ~upLoad() override;

    // The service's address, fixed when the dialog is made (see bookServiceUrl()).
    const QString& serviceUrl() const { return serviceUrl_; }
    bool isLoggedIn() const { return loggedIn_; }
    const QString& userId() const { return userId_; }
    // An attempt is under way: from the Upload click until it ends, fails or is cancelled.
    bool isUploadBusy() const { return uploadBusy_; }
    // Where the rewritten page and the archive are kept while an attempt runs.
    static QString temporaryPage();
    static QString temporaryArchive();

    static constexpr int kRadius = 12;
    static constexpr int kSlidePeriodMs = 20;
    // No answer (or, while uploading, no progress) for this long ends a request.
    static constexpr int kRequestTimeoutMs = 30000;
    void setRequestTimeout(int ms) { requestTimeoutMs_ = ms; }

signals:
    void upLoadClose();

public slots:
    void on_close_click() override;
    void on_SignUp_click();
    void on_Login_click();
    void on_upLoad_click();
    void changeUploadUrl(const QString& text);
    void openpage(const QString& url);

protected:
    void prepareOpening() override;

private:
    void buildLoginPage();
    void buildUploadPage();
    void buildOverlay();
    void showPage();
    void prefillPageHead();
    void openOutside(const QUrl& url);
    void showAddress(const QString& url);
    void showMessage(const QString& title, const QString& text, QPoint origin, bool centred);
    void loginFinished(const JobResult& result);
    void connectJob();
    void showTransfer(qint64 bytesSent, qint64 bytesTotal, const QString& text);
    void uploadEnded(const JobResult& result);
    void cancelUpload();
    void returnToIdle();
    void setButton(const QString& icon, const QString& text, const QString& tip);
    void setBookFieldsEnabled(bool enabled);
    void showOverlay();
    HtmlMeta pageMeta() const;

    std::unique_ptr<Ui::upLoad> ui_;
    MymessgeBox* messageBox_ = nullptr;
    QNetworkAccessManager* network_ = nullptr;
    QMovie* waiting_ = nullptr;
    QFrame* overlay_ = nullptr;
    QString serviceUrl_;
    int requestTimeoutMs_ = kRequestTimeoutMs;

    myLabel* login_ = nullptr;
    LoginJob* loginJob_ = nullptr;
    // The name and password of the login waiting for its answer, remembered once it succeeds.
    Credentials tried_;
    bool loggedIn_ = false;
    QString userId_;
    QString email_;
    QString userName_;

    // The attempt under way: from the Upload click until it ends, fails or is cancelled.
    bool uploadBusy_ = false;
    bool transferring_ = false; // its checks are done and the book is being sent
    UploadJob* job_ = nullptr;
};
