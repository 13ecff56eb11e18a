// Writes lantrel's manual page, made from its option table, into the file named on the command
// line; the build runs it to make lantrel.1.
#include "converter/options.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: lantrel_man_page FILE\n", stderr);
        return 2;
    }
    static ConverterOptions options;
    setDefaultOptions(options);
    const std::vector<OptionEntry> table = optionTable(options);
    std::FILE* file = std::fopen(argv[1], "wb");
    const bool written = file && writeManPage(file, table.data()) == 0;
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "lantrel_man_page: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
