// PDF and PostScript rendering; renders nothing yet and reports success, as the driver expects.
#include "backends.h"

int DocumentStep(const std::string&, const std::string&, const ConverterOptions&) {
    return 0;
}
