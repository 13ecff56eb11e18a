#include "converter/run_office.h"

#include <cstdlib>
#include <cstring>

namespace {

// The warm instance's pipe name, or "" when none is handed over or the user turned it off.
std::string warmPipeName() {
    const char* off = std::getenv("MURANO_WARM_OFFICE");
    const char* pipe = std::getenv("MURANO_OFFICE");
    if ((off && std::strcmp(off, "0") == 0) || !pipe) {
        return {};
    }
    return pipe;
}

} // namespace

std::unique_ptr<office::Instance> StartOffice(bool mayBorrow, std::string& error) {
    if (const std::string pipe = mayBorrow ? warmPipeName() : std::string(); !pipe.empty()) {
        if (auto warm = office::Instance::borrow(pipe, error)) {
            return warm;
        }
    }
    return office::Instance::start(error);
}

bool BorrowedInstanceBroke(const office::Instance* instance) {
    return instance && instance->borrowed() && !instance->alive();
}
