#include "platform/office/warm_office.h"

#include "platform/office/office_process.h"

#include <QDateTime>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kCheckIntervalMs = 1000;
// An instance that ends within this time after its start counts as failing; after a few such ends
// in a row no new one is started (the converter then starts its own, as without a warm instance).
constexpr qint64 kQuickEndMs = 30000;
constexpr int kQuickEndLimit = 3;

// Launches the instance and makes its lock file. The instance runs at normal priority: at nice 19
// a loaded machine starves the conversions it serves (a 12-slide import took 31 s against 14 s
// for a private instance), and an idle instance costs no processor time anyway. Returns the process
// group, or -1; fills `pipeName`.
int launchWarm(std::string& pipeName) {
    office::detail::LaunchedOffice office;
    std::string error;
    if (!office::detail::launchOffice(office, error)) {
        return -1;
    }
    const int lock = ::open(office::detail::warmLockPath(office.pipeName).c_str(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        office::detail::endOffice(office.processGroup);
        return -1;
    }
    ::close(lock);
    pipeName = office.pipeName;
    return office.processGroup;
}

} // namespace

WarmOffice::WarmOffice(QObject* parent) : QObject(parent) {
    watch_.setInterval(kCheckIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &WarmOffice::check);
}

WarmOffice::~WarmOffice() {
    end();
    if (starting_) {
        starting_->wait();
        launched(launch_->first, QString::fromStdString(launch_->second)); // and ended at once
    }
}

bool WarmOffice::enabled() {
    return qEnvironmentVariable("MURANO_WARM_OFFICE") != QLatin1String("0");
}

void WarmOffice::start() {
    if (!enabled() || starting_ || processGroup_ > 0) {
        return;
    }
    wanted_ = true;
    launch_ = std::make_shared<std::pair<int, std::string>>(-1, std::string());
    starting_ = QThread::create([launch = launch_] { launch->first = launchWarm(launch->second); });
    connect(starting_, &QThread::finished, this, [this] {
        starting_->deleteLater();
        starting_ = nullptr;
        launched(launch_->first, QString::fromStdString(launch_->second));
    });
    starting_->start(QThread::LowestPriority);
}

void WarmOffice::launched(int processGroup, const QString& pipeName) {
    processGroup_ = processGroup;
    pipeName_ = processGroup > 0 ? pipeName : QString();
    startedAt_ = QDateTime::currentMSecsSinceEpoch();
    if (processGroup > 0 && !wanted_) {
        end(); // ended while it was starting
        return;
    }
    if (processGroup > 0) {
        watch_.start();
        emit started();
    }
}

void WarmOffice::check() {
    if (processGroup_ <= 0 || office::detail::launcherRunning(processGroup_)) {
        return;
    }
    office::detail::endOffice(processGroup_); // what is left: members, profile, guardian
    ::unlink(office::detail::warmLockPath(pipeName_.toStdString()).c_str());
    const bool quick = QDateTime::currentMSecsSinceEpoch() - startedAt_ < kQuickEndMs;
    quickEnds_ = quick ? quickEnds_ + 1 : 0;
    processGroup_ = -1;
    pipeName_.clear();
    watch_.stop();
    if (quickEnds_ < kQuickEndLimit) {
        start();
    }
}

void WarmOffice::end() {
    wanted_ = false;
    watch_.stop();
    if (processGroup_ > 0) {
        office::detail::endOffice(processGroup_);
        ::unlink(office::detail::warmLockPath(pipeName_.toStdString()).c_str());
    }
    processGroup_ = -1;
    pipeName_.clear();
}

QString WarmOffice::pipeName() const {
    return pipeName_;
}

int WarmOffice::processGroup() const {
    return processGroup_;
}

void WarmOffice::addTo(QProcessEnvironment& environment) const {
    if (!pipeName_.isEmpty()) {
        environment.insert(QStringLiteral("MURANO_OFFICE"), pipeName_);
    }
}
