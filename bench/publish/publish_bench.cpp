// The ZIP output of a wall, timed from outside by bench/publish-bench.py:
//   publish_bench wall WORK SLIDES    makes a wall of SLIDES 960 x 720 JPEGs and thumbnails
//   publish_bench zip WORK ARCHIVE    publishes it as a ZIP archive
#include "publish/zip_writer.h"
#include "tests/publish/wall_fixture.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || (args[1] != "wall" && args[1] != "zip")) {
        std::fprintf(stderr, "usage: publish_bench wall WORK SLIDES | zip WORK ARCHIVE\n");
        return 2;
    }
    if (args[1] == "wall") {
        makeWall(args[2], {args[3].toInt(), true});
        return 0;
    }
    const JobResult result = makeZip(args[3], args[2] + "/.zapperstab/", WallFolder(args[2]),
                                     {"index", {"Bench", "", ""}, BookLayout::Web});
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.message));
    }
    return result.ok() ? 0 : 1;
}
