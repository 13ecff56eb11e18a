#include "app/preview_control.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPalette>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace {

// The helper process the engine runs its pages in; without it the engine cannot start.
QString engineProcessPath() {
    const QByteArray configured = qgetenv("QTWEBENGINEPROCESS_PATH");
    if (!configured.isEmpty()) {
        return QString::fromLocal8Bit(configured);
    }
    return QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
           QStringLiteral("/QtWebEngineProcess");
}

// The web channel's client script, put into the page before the page's own scripts run, so that
// the player finds QWebChannel without loading it from the host's resources.
QWebEngineScript channelScript() {
    QWebEngineScript script;
    QFile source(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (source.open(QIODevice::ReadOnly)) {
        script.setSourceCode(QString::fromUtf8(source.readAll()));
    }
    script.setName(QStringLiteral("qwebchannel"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    return script;
}

} // namespace

PreviewControl::PreviewControl(QWidget* parent) : QWidget(parent) {
    // An empty preview is a dark area, as the wall's own background is.
    setAutoFillBackground(true);
    QPalette shade = palette();
    shade.setColor(QPalette::Window, QColor(11, 14, 22));
    setPalette(shade);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

PreviewControl::~PreviewControl() = default;

bool PreviewControl::engineAvailable() {
    if (qEnvironmentVariableIntValue("MURANO_NO_WEBENGINE") == 1) {
        return false;
    }
    return QFileInfo(engineProcessPath()).isExecutable();
}

bool PreviewControl::setControl() {
    if (view_) {
        return true;
    }
    if (!engineAvailable()) {
        return false;
    }
    view_ = new QWebEngineView(this);
    view_->setContextMenuPolicy(Qt::NoContextMenu);
    // A file dropped on the wall goes to the window (which imports or opens it), not into the page.
    view_->setAcceptDrops(false);
    QWebEngineSettings* settings = view_->settings();
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);

    host_ = new PreviewHost(this);
    channel_ = new QWebChannel(this);
    channel_->registerObject(QStringLiteral("host"), host_);
    view_->page()->setWebChannel(channel_);
    view_->page()->scripts().insert(channelScript());
    view_->page()->setBackgroundColor(palette().color(QPalette::Window));
    connect(host_, &PreviewHost::request, this, &PreviewControl::FlashCall);
    connect(view_, &QWebEngineView::loadFinished, this, &PreviewControl::movieLoaded);
    layout()->addWidget(view_);
    return true;
}

void PreviewControl::clear() {
    delete view_;
    view_ = nullptr;
    delete channel_;
    channel_ = nullptr;
    delete host_;
    host_ = nullptr;
    pageUrl_.clear();
}

QUrl PreviewControl::pageForMovie(const QString& moviePath) {
    return QUrl::fromLocalFile(QFileInfo(moviePath).absolutePath() + QStringLiteral("/index.html"));
}

void PreviewControl::loadMovie(const QString& moviePath) {
    if (!view_) {
        return;
    }
    const QUrl page = pageForMovie(moviePath);
    if (page == pageUrl_ && view_->url() == page) {
        // The same wall with new files: reload past every cache so the new images show.
        view_->page()->triggerAction(QWebEnginePage::ReloadAndBypassCache);
        return;
    }
    pageUrl_ = page;
    view_->load(page);
}

namespace {

// Where a user whose system lacks the browser engine learns how to install it.
const char* const kEngineHelpUrl = "https://packages.debian.org/search?keywords=qt6-webengine";

} // namespace

bool PreviewControl::playOrAsk(const QString& moviePath) {
    for (;;) {
        if (setControl()) {
            loadMovie(moviePath);
            return true;
        }
        QMessageBox question(QMessageBox::Critical, tr("Quorvex Murano"),
                             tr("Your system hasn't the wall player engine installed."),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Retry);
        question.setInformativeText(tr("Do you want to download and install the wall player "
                                       "engine now?"));
        question.setDefaultButton(QMessageBox::Yes);
        switch (question.exec()) {
        case QMessageBox::Yes:
            QDesktopServices::openUrl(QUrl(QString::fromLatin1(kEngineHelpUrl)));
            break;
        case QMessageBox::Retry:
            break;
        default:
            return false;
        }
        clear();
    }
}
