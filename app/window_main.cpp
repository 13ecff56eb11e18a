// murano-window: murano's window, which murano becomes when it is started without a subcommand.
// Everything it remembers lives in the user settings file, the remembered-values files and the
// gallery index. A presentation handed to it opens in the import dialog.
#include "app/home.h"
#include "app/message_log.h"
#include "chrome/mymessgebox.h"
#include "import/import.h"
#include "platform/office/office_pool.h"
#include "wall/locations.h"
#include "wall/text_codec.h"
#include "wall/wall_lock.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QTimer>

#include <unistd.h>

namespace {

int tellTheWallIsInUse() {
    MymessgeBox box;
    QObject::connect(&box, &MymessgeBox::okSignal, qApp, &QCoreApplication::quit);
    QObject::connect(&box, &MymessgeBox::cancelSignal, qApp, &QCoreApplication::quit);
    box.showNotice(QObject::tr("Notice"), WallLock::inUseMessage(QString()), QPoint(70, 20));
    QApplication::exec();
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // The browser engine refuses to start its sandbox for root; the preview must still play.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // The preview's browser engine shares its graphics contexts with the window's.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvex Murano"));
    QApplication::setOrganizationName(QStringLiteral("Quorvex"));
    // The desktop matches the window to the installed menu entry, and so shows its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvex-murano"));
    installMessageLog();
    // Image buttons and dialog slots are wired by hand; the form loader's search for matching
    // signals would only fill the log.
    QLoggingCategory::setFilterRules(
        QStringLiteral("qt.core.qmetaobject.connectslotsbyname=false"));
    // Qt 6 keeps no codecs for translated literals or C strings (they are UTF-8); the process
    // codec becomes the locale codec, which every other 8-bit conversion uses.
    installProcessCodec();

    // One window per wall: a second one would overwrite the first one's work.
    const WallLock wallLock(workFolder(), 0);
    if (!wallLock.held()) {
        return tellTheWallIsInUse();
    }

    int result = 0;
    {
        // Declared first, ended last: no import can still use them.
        PoolLimits limits;
        limits.instances = OfficePool::windowSize();
        OfficePool offices(limits);
        Home home;
        home.importDialog()->setOfficePool(&offices);
        home.setWindowOpacity(0.0);
        home.show();
        home.fadeIn();
        // Once the window is up, in the background: later imports skip the office suite's start.
        QTimer::singleShot(0, &offices, &OfficePool::start);
        // A presentation handed over by the desktop or the command line goes to the import dialog.
        const QStringList arguments = QApplication::arguments();
        if (arguments.size() == 2) {
            home.openPresentation(arguments.at(1));
        }
        result = QApplication::exec();
    }
    return result;
}
