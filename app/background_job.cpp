#include "app/background_job.h"

#include <QProgressDialog>

namespace {

// Below this the work ends before anyone needs to see a dialog.
constexpr int kShowAfterMs = 400;
constexpr char kBusyProperty[] = "muranoBackgroundJob";

} // namespace

bool runInBackground(QWidget* parent, const QString& label, const PublishWork& work,
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
    // The job belongs to the dialog, which stays until the job has ended.
    ThreadJob* job = makePublishJob(work, dialog);
    QObject::connect(job, &Job::progress, dialog, [dialog](qint64 step, qint64 steps) {
        dialog->setRange(0, int(steps));
        dialog->setValue(int(step));
    });
    QObject::connect(job, &Job::finished, parent, [parent, dialog, done](const JobResult& result) {
        dialog->deleteLater();
        parent->setProperty(kBusyProperty, false);
        done(result);
    });
    job->start();
    return true;
}
