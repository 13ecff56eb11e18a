// A few warm office instances shared by the conversions of one murano: each has its own process
// group and profile, serves one conversion at a time, and is replaced by a fresh one after a
// number of conversions, when its memory has grown past a limit, when it hung or when it died.
// The window keeps a pool of one or two, `murano walls` one per job.
#pragma once

#include "platform/office/warm_office.h"

#include <QObject>

#include <memory>
#include <vector>

struct PoolLimits {
    int instances = 1;
    int recycleAfter = 50; // conversions an instance serves before it is replaced
    qint64 memoryLimit = 1024LL * 1024 * 1024; // resident bytes past which it is replaced
};

class OfficePool : public QObject {
    Q_OBJECT

public:
    // As many instances as the machine has cores, at most 4.
    static int defaultSize();
    // The window's pool: two instances (a large deck's import is split between them) on a
    // machine with two cores or more and room in memory for both, else one.
    static int windowSize();

    explicit OfficePool(const PoolLimits& limits, QObject* parent = nullptr);
    ~OfficePool() override; // ends every instance

    // Starts the instances in the background (each as WarmOffice::start()).
    void start();
    void end();

    int size() const { return static_cast<int>(instances_.size()); }

    // An instance that answers and serves no conversion now, marked as lent; nullptr when none is
    // ready at the moment.
    const WarmOffice* lend();
    // Whether an instance may still be lent some time: one runs or is starting.
    bool mayLend() const;
    // Takes back a lent instance after its conversion. It is replaced when it has served its
    // number of conversions, when its memory is past the limit, or when `broken` (the conversion
    // hung or its instance died under it).
    void giveBack(const WarmOffice* office, bool broken);

    // The resident memory of every instance together, in bytes.
    qint64 residentBytes() const;
    // How many instances were replaced so far (recycled, restarted).
    int replaced() const { return replaced_; }

private:
    struct Member {
        std::unique_ptr<WarmOffice> office;
        bool lent = false;
        int served = 0;
    };
    Member* memberOf(const WarmOffice* office);

    PoolLimits limits_;
    std::vector<Member> instances_;
    int replaced_ = 0;
};
