// The preview control: the wall player in a browser engine view, wrapped so that the main window
// drives it like a player control. Creating the engine can fail (it may not be installed, or may
// be switched off with MURANO_NO_WEBENGINE=1); the control is then null and shows an empty area.
// "Loading the movie <folder>/main.swf" plays the wall of that folder. The player's reload and
// full-screen buttons reach the host as request texts through the signal FlashCall(QString).
#pragma once

#include <QObject>
#include <QString>
#include <QUrl>
#include <QWidget>

class QWebChannel;
class QWebEngineView;

// The object the player's page talks to, registered on the web channel as "host".
class PreviewHost : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    Q_INVOKABLE void flashCall(const QString& message) { emit request(message); }

signals:
    void request(QString message);
};

class PreviewControl : public QWidget {
    Q_OBJECT

public:
    explicit PreviewControl(QWidget* parent = nullptr);
    ~PreviewControl() override;

    // Whether the browser engine can run in this process: it is installed and not switched off.
    static bool engineAvailable();

    // Creates the engine view; returns whether the control now exists (isNull() is false).
    bool setControl();
    // Drops the engine view; the control is null afterwards.
    void clear();
    bool isNull() const { return view_ == nullptr; }

    // Plays the wall of the movie's folder: <folder>/main.swf plays <folder>/index.html.
    void loadMovie(const QString& moviePath);
    // Creates the engine view and plays the movie. Without an engine it asks the user whether to
    // open the engine's help page (Yes), try again (Retry) or go on without a preview (No, which
    // returns false).
    bool playOrAsk(const QString& moviePath);
    // The page the control shows, empty before a movie is loaded.
    QUrl pageUrl() const { return pageUrl_; }
    QWebEngineView* view() const { return view_; }

    // The page a movie path plays.
    static QUrl pageForMovie(const QString& moviePath);

signals:
    void FlashCall(QString message);
    // The page finished loading (for watchers such as tests).
    void movieLoaded(bool ok);

private:
    QWebEngineView* view_ = nullptr;
    QWebChannel* channel_ = nullptr;
    PreviewHost* host_ = nullptr;
    QUrl pageUrl_;
};
