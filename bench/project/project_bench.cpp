// Project files of a wall, timed from outside by bench/project-bench.sh:
//   project_bench save WORK FILE    saves the wall of WORK as the project FILE
//   project_bench open WORK FILE    opens the project FILE into WORK through 7z
#include "publish/project_file.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != "save" && args[1] != "open")) {
        std::fprintf(stderr, "usage: project_bench save|open WORK FILE\n");
        return 2;
    }
    JobResult result;
    if (args[1] == "save") {
        result = saveProject(args[3], args[2], {"index", {"Bench", "", ""}, BookLayout::Web});
    } else {
        ProjectOpening opening;
        opening.archiveTool = findArchiveTool(QStringLiteral(MURANO_BIN_DIR));
        opening.templateFolder = QStringLiteral(MURANO_BIN_DIR "/flash/");
        result = readProject(args[3], args[2], opening);
    }
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.message));
    }
    return result.ok() ? 0 : 1;
}
