// lantrel: converts one presentation per run to the format its output extension names.
#include "console.h"
#include "driver.h"
#include "options.h"
#include "stop_handler.h"

int main(int argc, char** argv) {
    ConverterOptions& options = converterOptions();
    setDefaultOptions(options);
    const std::vector<OptionEntry> table = optionTable(options);
    const char* invokedAs = argv[0];
    const bool parsed = Parse(table.data(), argc, argv);
    if (!parsed || argc < 2 || argc > 3 || options.version || options.help) {
        PrintUsageScreen(invokedAs, table.data());
        return -1;
    }
    options.input = argv[1];
    if (options.input.empty()) {
        return -1;
    }
    options.output = argc == 3 ? argv[2] : defaultOutputPath(options.input);
    installStopHandler();
    return resultUnlessStopping(Run(options));
}
