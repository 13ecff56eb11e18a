#include "platform/office/warm_office.h"

#include "platform/office/office_process.h"

#include <QDateTime>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kCheckIntervalMs = 1000;
// An instance that ends within this time after its start counts as failing; after a few such ends
// in a row no new one is started (the converter then starts its own, as without a warm instance).
constexpr qint64 kQuickEndMs = 30000;
constexpr int kQuickEndLimit = 3;

} // namespace

WarmOffice::WarmOffice(QObject* parent)
    : QObject(parent),
      starting_(std::make_unique<ThreadJob>([this](ThreadJob&) { return launch(); })) {
    watch_.setInterval(kCheckIntervalMs);
    connect(&watch_, &QTimer::timeout, this, &WarmOffice::check);
    connect(starting_.get(), &Job::finished, this, &WarmOffice::launched);
}

WarmOffice::~WarmOffice() {
    end();
    if (starting_->isRunning()) {
        starting_.reset(); // waits for the launch; what it launched is ended here
        if (launchedGroup_ > 0) {
            office::detail::endOffice(launchedGroup_);
            ::unlink(office::detail::warmLockPath(launchedPipe_).c_str());
        }
    }
}

bool WarmOffice::enabled() {
    return qEnvironmentVariable("MURANO_WARM_OFFICE") != QLatin1String("0");
}

void WarmOffice::start() {
    if (!enabled()) {
        return;
    }
    // An instance still starting is wanted again: a recycle() while the watch was already
    // replacing a dead one keeps that one instead of ending it once it has started.
    wanted_ = true;
    if (starting_->isRunning() || processGroup_ > 0) {
        return;
    }
    launchedGroup_ = -1;
    launchedPipe_.clear();
    starting_->start();
}

// The instance runs at normal priority: at nice 19 a loaded machine starves the conversions it
// serves (a 12-slide import took 31 s against 14 s for a private instance), and an idle instance
// costs no processor time anyway.
JobResult WarmOffice::launch() {
    office::detail::LaunchedOffice office;
    std::string error;
    if (!office::detail::launchOffice(office, error)) {
        return JobResult::failure(QString::fromStdString(error));
    }
    const int lock = ::open(office::detail::warmLockPath(office.pipeName).c_str(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) {
        office::detail::endOffice(office.processGroup);
        return JobResult::failure(QStringLiteral("The warm instance's lock file cannot be made."));
    }
    ::close(lock);
    launchedPipe_ = office.pipeName;
    launchedGroup_ = office.processGroup;
    return JobResult::done();
}

void WarmOffice::launched(const JobResult& result) {
    answering_ = false;
    processGroup_ = result.ok() ? launchedGroup_ : -1;
    pipeName_ = result.ok() ? QString::fromStdString(launchedPipe_) : QString();
    startedAt_ = QDateTime::currentMSecsSinceEpoch();
    if (processGroup_ > 0 && !wanted_) {
        end(); // ended while it was starting
        return;
    }
    if (processGroup_ > 0) {
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
    answering_ = false;
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
    answering_ = false;
}

void WarmOffice::recycle() {
    end();
    quickEnds_ = 0;
    start();
}

bool WarmOffice::available() const {
    return processGroup_ > 0 || starting_->isRunning();
}

bool WarmOffice::answering() {
    if (!answering_ && processGroup_ > 0) {
        answering_ = office::detail::groupServingPipe(pipeName_.toStdString()) == processGroup_;
    }
    return answering_;
}

qint64 WarmOffice::residentBytes() const {
    return processGroup_ > 0 ? office::detail::groupResidentBytes(processGroup_) : 0;
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
