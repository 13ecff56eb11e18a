// lantrel: converts one presentation per run to the format its output extension names.
#include "converter/console.h"
#include "converter/driver.h"
#include "converter/options.h"
#include "converter/stop_handler.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // The one option record of the run; every part receives it from here.
    static ConverterOptions options;
    setDefaultOptions(options);
    const std::vector<OptionEntry> table = optionTable(options);
    const char* invokedAs = argv[0];
    const bool parsed = Parse(table.data(), argc, argv);
    const bool partKnown = options.parts >= 1 && options.part >= 1 && options.part <= options.parts;
    if (!parsed || !partKnown || argc < 2 || argc > 3 || options.version || options.help) {
        PrintUsageScreen(invokedAs, table.data());
        return kUsageShown;
    }
    options.input = argv[1];
    if (options.input.empty()) {
        return kUsageShown;
    }
    setDebugMessages(options.debug != 0);
    options.output = argc == 3 ? argv[2] : defaultOutputPath(options.input);
    // A write to a connection the office suite has already closed must fail, not end the run.
    std::signal(SIGPIPE, SIG_IGN);
    installStopHandler();
    const int result = resultUnlessStopping(Run(options));
    // Every line is already flushed and every office instance ended: leave without running static
    // destructors, which could race with the office connection's own threads.
    std::fflush(nullptr);
    std::_Exit(result);
}
