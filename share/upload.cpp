#include "share/upload.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/window_chrome.h"
#include "publish/publish_output.h"
#include "share/book_service.h"
#include "share/credentials.h"
#include "share/upload_job.h"
#include "ui_upload.h"
#include "wall/locations.h"
#include "wall/remembered_values.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPalette>
#include <QPixmap>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

const QString kUploadIcon = QStringLiteral("upload.png");
const QString kCancelIcon = QStringLiteral("cancelupload.png");
const QString kUploadText = QStringLiteral("Upload");

} // namespace

upLoad::upLoad(QWidget* parent)
    : FramelessDialog(Motion::Roll, kSlidePeriodMs, parent), ui_(std::make_unique<Ui::upLoad>()),
      serviceUrl_(bookServiceUrl()) {
    ui_->setupUi(this);
    dressDialog(this, ui_->label_bg, ui_->label_icon, ui_->label_10,
                QStringLiteral("bg_upload.png"));
    setUpFrame({kRadius, ui_->label_bg, QRect(470, 0, 20, 20), true});
    network_ = new QNetworkAccessManager(this);
    job_ = new UploadJob(network_, this);
    loginJob_ = new LoginJob(network_, this);
    connect(loginJob_, &Job::finished, this, &upLoad::loginFinished);
    connectJob();
    buildLoginPage();
    buildUploadPage();
    buildOverlay();
    messageBox_ = new MymessgeBox(this);
    messageBox_->setTitle(tr("Notice"), 25, 0, 211, 16);
    messageBox_->setTitleIcon(chrome::skinPath(QStringLiteral("icon.ico")), 2, 1, 15, 15);
}

upLoad::~upLoad() {
    // Replies that end while the dialog goes away must not reach its half-destroyed slots.
    for (QNetworkReply* reply : network_->findChildren<QNetworkReply*>()) {
        reply->disconnect(this);
    }
    // The job, a child, stops and removes its archive as it goes.
    job_->disconnect(this);
    loginJob_->disconnect(this);
}

QString upLoad::temporaryPage() {
    return tempFolder() + "index.html";
}

QString upLoad::temporaryArchive() {
    return tempFolder() + "zapperstab.zip";
}

void upLoad::buildLoginPage() {
    ui_->label_up->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("up.png"))));
    ui_->label_progress->hide();
    waiting_ = new QMovie(chrome::skinPath(QStringLiteral("Waitting.gif")), {}, this);
    ui_->label_progress->setMovie(waiting_);
    auto* signUp = chrome::addImageButton(ui_->page, QStringLiteral("signup.png"),
                                          QRect(50, 260, 97, 40), tr("Sign up now"));
    login_ = chrome::addImageButton(ui_->page, QStringLiteral("login.png"), QRect(320, 260, 97, 40),
                                    tr("Login now"));
    connect(signUp, &myLabel::labelClick, this, &upLoad::on_SignUp_click);
    connect(login_, &myLabel::labelClick, this, &upLoad::on_Login_click);
    // Enter in either field logs in.
    setMainButton(login_);
    const Credentials remembered = readCredentials();
    ui_->lineEdit_user->setText(remembered.userName);
    ui_->lineEdit_pwd->setText(remembered.password);
    ui_->checkBox_remember->setChecked(true);
}

void upLoad::buildUploadPage() {
    ui_->label_icon1->setPixmap(QPixmap(chrome::skinPath(QStringLiteral("icon.png"))));
    ui_->label_12->setStyleSheet(QStringLiteral("color: #ffffff; font-weight: 600;"));
    ui_->progressBar->setValue(0);
    setButton(kUploadIcon, kUploadText, kUploadText);
    connect(ui_->toolButton_upload, &QToolButton::clicked, this, &upLoad::on_upLoad_click);
    connect(ui_->lineEdit_bookName, &QLineEdit::textEdited, this, &upLoad::changeUploadUrl);
    connect(ui_->label_url, &QLabel::linkActivated, this, &upLoad::openpage);
}

void upLoad::buildOverlay() {
    overlay_ = new QFrame(this, Qt::FramelessWindowHint);
    overlay_->setAutoFillBackground(true);
    auto* text =
        new QLabel(tr("The uploaded file is now being synchronized. Please wait..."), overlay_);
    auto* animation = new QLabel(overlay_);
    animation->setMovie(
        new QMovie(chrome::skinPath(QStringLiteral("progressSyn.gif")), {}, animation));
    auto* row = new QHBoxLayout;
    row->addSpacing(80);
    row->addWidget(animation);
    auto* column = new QVBoxLayout(overlay_);
    column->addWidget(text);
    column->addLayout(row);
    overlay_->hide();
}

void upLoad::prepareOpening() {
    showPage();
    prefillPageHead();
}

void upLoad::showPage() {
    ui_->stackedWidget->setCurrentWidget(loggedIn_ ? ui_->page_2 : ui_->page);
    setMainButton(loggedIn_ ? nullptr : login_);
}

// The page head starts as the publish dialog's HTML Meta settings left it, the title as the book's
// own when none was set; what the user typed here stays.
void upLoad::prefillPageHead() {
    const HtmlMeta meta =
        publishedMeta(rememberedBook(RememberedValues::shared()).meta, workFolder());
    const std::pair<QLineEdit*, QString> fields[] = {{ui_->lineEdit_title, meta.title},
                                                     {ui_->lineEdit_key, meta.keywords},
                                                     {ui_->lineEdit_description, meta.description}};
    for (const auto& [field, value] : fields) {
        if (field->text().isEmpty()) {
            field->setText(value);
            field->setCursorPosition(0);
        }
    }
}

void upLoad::on_close_click() {
    startClosing();
    emit upLoadClose();
}

void upLoad::on_SignUp_click() {
    openOutside(QUrl(serviceUrl_ + "wp-login.php?action=register"));
}

void upLoad::openOutside(const QUrl& url) {
    if (const QString problem = chrome::openOutside(url); !problem.isEmpty()) {
        showMessage(tr("Cannot open the page"), problem, {80, 20}, true);
    }
}

void upLoad::showMessage(const QString& title, const QString& text, QPoint origin, bool centred) {
    if (centred) {
        messageBox_->move(x() + (width() - messageBox_->width()) / 2,
                          y() + (height() - messageBox_->height()) / 2);
    }
    messageBox_->showNotice(title, text, origin);
}

// ---- Login ----

void upLoad::on_Login_click() {
    const QString user = ui_->lineEdit_user->text();
    const QString password = ui_->lineEdit_pwd->text();
    if (user.isEmpty() || password.isEmpty()) {
        showMessage(tr("Login failed"), tr("The user name or password is empty.\nPlease input!"),
                    {70, 20}, false);
        return;
    }
    // A pair is remembered only once the service has taken it; forgetting needs no answer.
    if (!ui_->checkBox_remember->isChecked()) {
        writeCredentials({});
    }
    if (loginJob_->isRunning()) {
        return;
    }
    tried_ = {user, password};
    loginJob_->setLogin(serviceUrl_, user, password, requestTimeoutMs_);
    loginJob_->start();
    ui_->label_progress->show();
    waiting_->start();
}

void upLoad::loginFinished(const JobResult& result) {
    waiting_->stop();
    ui_->label_progress->hide();
    const LoginReply& login = loginJob_->reply();
    switch (login.outcome) {
    case LoginReply::Outcome::LoggedIn:
        userId_ = login.userId;
        email_ = login.email;
        userName_ = ui_->lineEdit_user->text();
        loggedIn_ = true;
        if (ui_->checkBox_remember->isChecked()) {
            writeCredentials(tried_);
        }
        showPage();
        showAddress(bookAddress(serviceUrl_, userId_, ui_->lineEdit_bookName->text(), true));
        break;
    case LoginReply::Outcome::Incomplete:
        userId_ = login.userId;
        break;
    case LoginReply::Outcome::UnknownName:
    case LoginReply::Outcome::WrongPassword:
        showMessage(tr("Login failed"), result.message, {80, 25}, true);
        break;
    case LoginReply::Outcome::Unrecognised:
        if (!loginJob_->reached()) {
            showMessage(tr("Connection failed"), result.message, {80, 20}, true);
        }
        break;
    }
}

// ---- Book name and address ----

void upLoad::changeUploadUrl(const QString& text) {
    const QString name = normaliseBookName(text);
    if (name != text) {
        const int cursor = ui_->lineEdit_bookName->cursorPosition();
        ui_->lineEdit_bookName->setText(name);
        ui_->lineEdit_bookName->setCursorPosition(cursor);
    }
    showAddress(bookAddress(serviceUrl_, userId_, name));
}

// An address too long for its label shows shortened in the middle; the link and the label's tip
// hold it whole.
void upLoad::showAddress(const QString& url) {
    const QFontMetrics metrics = ui_->label_url->fontMetrics();
    const int room = ui_->label_url->contentsRect().width() - metrics.horizontalAdvance(' ');
    const QString shown = metrics.elidedText(url, Qt::ElideMiddle, room);
    ui_->label_url->setText(
        shown == url ? linkText(url) : "<a href=" + url + "> " + shown.toHtmlEscaped() + "</a>");
    ui_->label_url->setToolTip(url);
}

void upLoad::openpage(const QString& url) {
    qDebug() << url;
    openOutside(QUrl(url));
}

// ---- Upload ----

void upLoad::on_upLoad_click() {
    qDebug() << "inUpload" << uploadBusy_;
    setButton(kCancelIcon, tr("Cancel"), tr("Cancel"));
    if (uploadBusy_) {
        cancelUpload();
        return;
    }
    uploadBusy_ = true;
    // A new attempt starts clean: no word or bar of the last one stays beside its messages.
    ui_->label_11->setText(kUploadText);
    ui_->progressBar->setValue(0);
    const QString name = ui_->lineEdit_bookName->text();
    if (QString(name).remove(' ').isEmpty()) {
        showMessage(tr("Empty book name"), tr("Please input the book name."), {80, 20}, true);
        returnToIdle();
        return;
    }
    if (name.endsWith(' ')) {
        showMessage(tr("Invalid book name"), tr("Please correct the book name, thanks."), {80, 20},
                    true);
        returnToIdle();
        return;
    }
    setBookFieldsEnabled(false);
    transferring_ = false;
    job_->setRequest({serviceUrl_, userName_, email_, name, pageMeta(), workFolder(),
                      temporaryPage(), temporaryArchive(), requestTimeoutMs_});
    job_->start();
}

HtmlMeta upLoad::pageMeta() const {
    return {ui_->lineEdit_title->text(), ui_->lineEdit_key->text(),
            ui_->lineEdit_description->text()};
}

void upLoad::connectJob() {
    connect(job_, &UploadJob::transferStarted, this, [this](const QString& size) {
        transferring_ = true;
        setButton(kCancelIcon, tr("Cancel"), tr("Cancel Upload"));
        ui_->label_11->setText("Upload --- " + size);
        ui_->progressBar->show();
    });
    connect(job_, &Job::progress, this, &upLoad::showTransfer);
    connect(job_, &UploadJob::transferSent, this, &upLoad::showOverlay);
    connect(job_, &Job::finished, this, &upLoad::uploadEnded);
}

void upLoad::showTransfer(qint64 bytesSent, qint64 bytesTotal, const QString& text) {
    if (!text.isEmpty()) {
        ui_->label_11->setText(text);
    }
    ui_->progressBar->setValue(uploadProgress(bytesSent, bytesTotal, 0, QString()).percent);
}

void upLoad::showOverlay() {
    if (overlay_->isVisible()) {
        return;
    }
    const QPoint field = ui_->lineEdit_bookName->mapTo(this, QPoint(0, 0));
    overlay_->setGeometry(field.x() - 50, field.y(), 360, 100);
    QPalette palette = overlay_->palette();
    palette.setBrush(QPalette::Window, QPixmap(chrome::skinPath(QStringLiteral("bg_popup1.png")))
                                           .scaled(overlay_->size(), Qt::KeepAspectRatioByExpanding,
                                                   Qt::SmoothTransformation));
    overlay_->setPalette(palette);
    for (QLabel* label : overlay_->findChildren<QLabel*>()) {
        if (label->movie()) {
            label->movie()->start();
        }
    }
    overlay_->show();
    overlay_->raise();
}

void upLoad::uploadEnded(const JobResult& result) {
    overlay_->hide();
    if (result.code == JobResult::Stopped) {
        return; // the cancel has already put the dialog back
    }
    returnToIdle();
    ui_->label_11->setText(kUploadText);
    if (!result.ok()) {
        const UploadJob::Failure why = job_->failure();
        const bool exists = why == UploadJob::Failure::BookExists;
        const bool unreached = why == UploadJob::Failure::Unreachable && !transferring_;
        showMessage(exists      ? tr("File already exists")
                    : unreached ? tr("Connection failed")
                                : tr("Upload failed"),
                    result.message, exists ? QPoint(70, 20) : QPoint(80, 20), true);
        return;
    }
    showAddress(bookAddress(serviceUrl_, userId_, ui_->lineEdit_bookName->text()));
    ui_->progressBar->setValue(ui_->progressBar->maximum());
    ui_->label_11->setText(tr("Upload Successfully!\nNow you can send the URL to others for them "
                              "to view your Murano online."));
}

// A cancel stops whatever step is running: a waiting check is dropped, a packing archive is
// removed when the packer ends, and a running transfer is ended.
void upLoad::cancelUpload() {
    returnToIdle();
    overlay_->hide();
    ui_->progressBar->setValue(0);
    job_->cancel();
}

void upLoad::returnToIdle() {
    setButton(kUploadIcon, kUploadText, kUploadText);
    setBookFieldsEnabled(true);
    uploadBusy_ = false;
}

void upLoad::setButton(const QString& icon, const QString& text, const QString& tip) {
    ui_->toolButton_upload->setIcon(QIcon(chrome::skinPath(icon)));
    ui_->toolButton_upload->setText(text);
    ui_->toolButton_upload->setToolTip(tip);
    ui_->toolButton_upload->setEnabled(true);
}

void upLoad::setBookFieldsEnabled(bool enabled) {
    for (QLineEdit* field : {ui_->lineEdit_title, ui_->lineEdit_key, ui_->lineEdit_description,
                             ui_->lineEdit_bookName}) {
        field->setEnabled(enabled);
    }
}
