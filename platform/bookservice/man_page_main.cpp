// Writes bookservice's manual page, made from its option table, into the file named on the command
// line; the build runs it to make bookservice.8.
#include "platform/bookservice/command_line.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: bookservice_man_page FILE\n";
        return 2;
    }
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file << bookservice::manPage();
    file.close();
    if (!file) {
        std::cerr << "bookservice_man_page: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
