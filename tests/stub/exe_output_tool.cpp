// Makes the executable output of a wall folder exactly as the publish dialog does, for the tests
// that run the stubs on a real output. Usage: exe_output_tool WORK_FOLDER/ TARGET STUB
#include "publish/exe_output.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: exe_output_tool WORK_FOLDER/ TARGET STUB\n");
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const JobResult result = makeExe(QString::fromLocal8Bit(argv[2]), work + "book.zip",
                                     WallFolder(work), {}, QString::fromLocal8Bit(argv[3]));
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.message));
        return 1;
    }
    return 0;
}
