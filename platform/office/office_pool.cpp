#include "platform/office/office_pool.h"

#include <QThread>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

constexpr int kMostInstances = 4;
// What a second warm instance needs free: its own resident memory (150 to 250 MB over its
// conversions) and as much again for the conversion it serves.
constexpr long long kSecondInstanceRoom = 600LL * 1024 * 1024;

// MemAvailable of /proc/meminfo, in bytes; 0 when it cannot be read.
long long availableMemory() {
    std::ifstream info("/proc/meminfo");
    std::string name;
    long long kilobytes = 0;
    std::string unit;
    while (info >> name >> kilobytes >> unit) {
        if (name == "MemAvailable:") {
            return kilobytes * 1024;
        }
    }
    return 0;
}

} // namespace

int OfficePool::defaultSize() {
    return std::clamp(QThread::idealThreadCount(), 1, kMostInstances);
}

int OfficePool::windowSize() {
    return QThread::idealThreadCount() >= 2 && availableMemory() >= kSecondInstanceRoom ? 2 : 1;
}

OfficePool::OfficePool(const PoolLimits& limits, QObject* parent)
    : QObject(parent), limits_(limits) {
    for (int i = 0; i < std::max(1, limits.instances); ++i) {
        instances_.push_back({std::make_unique<WarmOffice>(), false, 0});
    }
}

OfficePool::~OfficePool() {
    end();
}

void OfficePool::start() {
    for (Member& member : instances_) {
        member.office->start();
    }
}

void OfficePool::end() {
    for (Member& member : instances_) {
        member.office->end();
    }
}

const WarmOffice* OfficePool::lend() {
    for (Member& member : instances_) {
        if (!member.lent && member.office->answering()) {
            member.lent = true;
            return member.office.get();
        }
    }
    return nullptr;
}

bool OfficePool::mayLend() const {
    return std::any_of(instances_.begin(), instances_.end(),
                       [](const Member& member) { return member.office->available(); });
}

OfficePool::Member* OfficePool::memberOf(const WarmOffice* office) {
    const auto found = std::find_if(instances_.begin(), instances_.end(),
                                    [office](const Member& m) { return m.office.get() == office; });
    return found == instances_.end() ? nullptr : &*found;
}

void OfficePool::giveBack(const WarmOffice* office, bool broken) {
    Member* member = memberOf(office);
    if (!member) {
        return;
    }
    member->lent = false;
    ++member->served;
    member->office->check(); // an instance that died under the conversion is replaced now
    const bool worn = member->served >= limits_.recycleAfter ||
                      member->office->residentBytes() > limits_.memoryLimit;
    if (broken || worn) {
        member->office->recycle();
        member->served = 0;
        ++replaced_;
    }
}

qint64 OfficePool::residentBytes() const {
    qint64 total = 0;
    for (const Member& member : instances_) {
        total += member.office->residentBytes();
    }
    return total;
}
