#include "app/background_job.h"

#include <QProgressDialog>
#include <QThread>

#include <memory>

namespace {

// Below this the work ends before anyone needs to see a dialog.
constexpr int kShowAfterMs = 400;
constexpr char kBusyProperty[] = "muranoBackgroundJob";

} // namespace

bool runInBackground(QWidget* parent, const QString& label, const BackgroundWork& work,
                     const BackgroundDone& done) {
    if (parent->property(kBusyProperty).toBool()) {
        return false;
    }
    parent->setProperty(kBusyProperty, true);
    auto* dialog = new QProgressDialog(label, QString(), 0, 0, parent);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(kShowAfterMs);
    dialog->setAutoReset(false);
    dialog->setValue(0);
    auto result = std::make_shared<PublishResult>();
    QThread* thread = QThread::create([work, result, dialog] {
        // Queued to the dialog, which outlives the thread: it is deleted only once the thread
        // has finished.
        *result = work([dialog](int step, int steps) {
            QMetaObject::invokeMethod(
                dialog,
                [dialog, step, steps] {
                    dialog->setRange(0, steps);
                    dialog->setValue(step);
                },
                Qt::QueuedConnection);
        });
    });
    QObject::connect(thread, &QThread::finished, parent, [parent, thread, dialog, result, done] {
        thread->deleteLater();
        dialog->deleteLater();
        parent->setProperty(kBusyProperty, false);
        done(*result);
    });
    thread->start();
    return true;
}
