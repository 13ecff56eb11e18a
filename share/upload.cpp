#include "share/upload.h"

#include "chrome/dialog_look.h"
#include "chrome/mylabel.h"
#include "chrome/mymessgebox.h"
#include "chrome/window_chrome.h"
#include "publish/publish_output.h"
#include "share/book_packing.h"
#include "share/book_service.h"
#include "share/credentials.h"
#include "share/multipart_stream.h"
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
#include <QThread>
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
    if (packer_) {
        packer_->disconnect(this);
        packer_->wait();
        delete packer_;
        QFile::remove(temporaryArchive());
    }
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

QNetworkReply* upLoad::post(const QString& path, const QByteArray& body) {
    QNetworkRequest request(QUrl(serviceUrl_ + path));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setTransferTimeout(requestTimeoutMs_);
    return network_->post(request, body);
}

bool upLoad::answered(QNetworkReply* reply) {
    reply->deleteLater();
    const QString failure = transportFailure(*reply, serviceUrl_);
    if (!failure.isEmpty()) {
        showMessage(tr("Connection failed"), failure, {80, 20}, true);
    }
    return failure.isEmpty();
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
    if (loginReply_) {
        return;
    }
    tried_ = {user, password};
    loginReply_ =
        post(QStringLiteral("__app_wp_login.php"),
             formBody({{QStringLiteral("log"), user}, {QStringLiteral("pwd"), password}}));
    connect(loginReply_, &QNetworkReply::finished, this, &upLoad::loginFinished);
    ui_->label_progress->show();
    waiting_->start();
}

void upLoad::loginFinished() {
    QNetworkReply* reply = std::exchange(loginReply_, nullptr);
    waiting_->stop();
    ui_->label_progress->hide();
    if (!answered(reply)) {
        return;
    }
    const LoginReply login = evaluateLoginReply(replyText(reply->readAll()));
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
        ui_->label_url->setText(
            linkText(bookAddress(serviceUrl_, userId_, ui_->lineEdit_bookName->text(), true)));
        break;
    case LoginReply::Outcome::Incomplete:
        userId_ = login.userId;
        break;
    case LoginReply::Outcome::UnknownName:
        showMessage(tr("Login failed"), tr("The user name is incorrect.\nPlease try again."),
                    {80, 25}, true);
        break;
    case LoginReply::Outcome::WrongPassword:
        showMessage(tr("Login failed"), tr("The password is incorrect.\nPlease try again."),
                    {80, 25}, true);
        break;
    case LoginReply::Outcome::Unrecognised:
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
    ui_->label_url->setText(linkText(bookAddress(serviceUrl_, userId_, name)));
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
    // The points are asked for as the service expects before an upload; their value is not used.
    check_ = post(QStringLiteral("app/paypal/paypal.php"),
                  formBody({{QStringLiteral("action"), QStringLiteral("getPoint")},
                            {QStringLiteral("uEmail"), email_}}));
    connect(check_, &QNetworkReply::finished, this, &upLoad::pointsAnswered);
}

void upLoad::pointsAnswered() {
    if (!answered(std::exchange(check_, nullptr))) {
        returnToIdle();
        return;
    }
    check_ = post(QStringLiteral("app/flipbook/fileexist.php"),
                  formBody({{QStringLiteral("username"), userName_},
                            {QStringLiteral("bookname"), ui_->lineEdit_bookName->text()}}));
    connect(check_, &QNetworkReply::finished, this, &upLoad::existenceAnswered);
}

void upLoad::existenceAnswered() {
    QNetworkReply* reply = std::exchange(check_, nullptr);
    if (!answered(reply)) {
        returnToIdle();
        return;
    }
    const QString text = replyText(reply->readAll());
    qDebug() << "trueUpload" << text;
    if (text.contains(QLatin1String("has exist"))) {
        showMessage(tr("File already exists"),
                    tr("The book exists on the internet,\nplease try another one."), {70, 20},
                    true);
        returnToIdle();
        return;
    }
    setButton(kCancelIcon, tr("Cancel"), tr("Cancel Upload"));
    startPacking();
}

HtmlMeta upLoad::pageMeta() const {
    return {ui_->lineEdit_title->text(), ui_->lineEdit_key->text(),
            ui_->lineEdit_description->text()};
}

// Packing runs off the GUI thread. A cancelled attempt's packer may still be running when the
// next attempt is ready to pack: that one then starts once the old packer has finished, so two
// never write the same archive.
void upLoad::startPacking() {
    if (packer_) {
        packAfterPacker_ = true;
        return;
    }
    const BookPacking packing{workFolder(), ui_->lineEdit_bookName->text(), pageMeta(),
                              temporaryPage(), temporaryArchive()};
    auto result = std::make_shared<PublishResult>();
    packer_ = QThread::create([packing, result] { *result = packBook(packing); });
    connect(packer_, &QThread::finished, this, [this, result, attempt = attempt_] {
        packer_->deleteLater();
        packer_ = nullptr;
        packingDone(result->ok(), result->error, attempt);
    });
    packer_->start();
}

void upLoad::packingDone(bool ok, const QString& error, int attempt) {
    if (attempt != attempt_) {
        QFile::remove(temporaryArchive());
    } else if (!ok) {
        failUpload(error);
    } else {
        sendArchive();
    }
    if (std::exchange(packAfterPacker_, false)) {
        startPacking();
    }
}

void upLoad::sendArchive() {
    totalSizeText_ = sizeText(QFileInfo(temporaryArchive()).size());
    ui_->label_11->setText("Upload --- " + totalSizeText_);
    auto* body =
        new MultipartStream(temporaryArchive(), userName_, ui_->lineEdit_bookName->text(), this);
    if (!body->open(QIODevice::ReadOnly)) {
        delete body;
        failUpload(tr("The archive %1 cannot be opened.").arg(temporaryArchive()));
        return;
    }
    QNetworkRequest request(QUrl(serviceUrl_ + "app/flipbook/fp-zip.php"));
    request.setRawHeader("Content-Type", uploadContentType());
    request.setHeader(QNetworkRequest::ContentLengthHeader, body->size());
    request.setTransferTimeout(requestTimeoutMs_);
    uploadReply_ = network_->post(request, body);
    body->setParent(uploadReply_);
    uploadRunning_ = true;
    ui_->progressBar->show();
    transferClock_.start();
    connect(uploadReply_, &QNetworkReply::uploadProgress, this, &upLoad::OnUploadProgress);
    connect(uploadReply_, &QNetworkReply::finished, this, &upLoad::uploadfinish);
}

void upLoad::OnUploadProgress(qint64 bytesSent, qint64 bytesTotal) {
    // The transfer's last report, as it ends, knows no total: it says nothing about progress.
    if (bytesTotal <= 0) {
        return;
    }
    const UploadProgress progress =
        uploadProgress(bytesSent, bytesTotal, transferClock_.elapsed(), totalSizeText_);
    if (progress.text) {
        ui_->label_11->setText(*progress.text);
    }
    ui_->progressBar->setValue(progress.percent);
    if (progress.percent > 99) {
        showOverlay();
    }
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

void upLoad::uploadfinish() {
    QNetworkReply* reply = std::exchange(uploadReply_, nullptr);
    reply->deleteLater();
    const bool cancelled = !uploadBusy_;
    uploadRunning_ = false;
    returnToIdle();
    ui_->label_11->setText(kUploadText);
    if (cancelled) {
        return;
    }
    const QString text = replyText(reply->readAll());
    overlay_->hide();
    QFile::remove(temporaryArchive());
    const QString failure = transportFailure(*reply, serviceUrl_);
    if (!failure.isEmpty()) {
        showMessage(tr("Upload failed"), failure, {80, 20}, true);
        return;
    }
    if (!isUploadSuccess(text)) {
        showMessage(tr("Upload failed"),
                    tr("The book service did not take the book:\n%1").arg(text), {80, 20}, true);
        return;
    }
    ui_->label_url->setText(
        linkText(bookAddress(serviceUrl_, userId_, ui_->lineEdit_bookName->text())));
    ui_->progressBar->setValue(ui_->progressBar->maximum());
    ui_->label_11->setText(tr("Upload Successfully!\nNow you can send the URL to others for them "
                              "to view your Murano online."));
}

// A cancel stops whatever step is running: a waiting check is dropped with its reply, a packing
// archive is removed when the packer ends, and a running transfer is ended.
void upLoad::cancelUpload() {
    ++attempt_;
    returnToIdle();
    overlay_->hide();
    ui_->progressBar->setValue(0);
    if (check_) {
        QNetworkReply* check = std::exchange(check_, nullptr);
        check->disconnect(this);
        check->abort();
        check->deleteLater();
    }
    if (uploadRunning_) {
        disconnect(uploadReply_, &QNetworkReply::uploadProgress, this, &upLoad::OnUploadProgress);
        uploadReply_->abort();
    }
    QFile::remove(temporaryArchive());
}

void upLoad::failUpload(const QString& text) {
    QFile::remove(temporaryArchive());
    returnToIdle();
    showMessage(tr("Upload failed"), text, {80, 20}, true);
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
