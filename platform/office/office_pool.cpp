#include "platform/office/office_pool.h"

#include <QThread>

#include <algorithm>

namespace {

constexpr int kMostInstances = 4;

} // namespace

int OfficePool::defaultSize() {
    return std::clamp(QThread::idealThreadCount(), 1, kMostInstances);
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
