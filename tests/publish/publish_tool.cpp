// Makes walls and publishes them from the command line, for the browser tests:
//   publish_tool wall WORK SLIDES
//   publish_tool html WORK OUTPUT NAME TITLE KEYWORDS DESCRIPTION
//   publish_tool zip WORK ARCHIVE NAME TITLE KEYWORDS DESCRIPTION
//   publish_tool embed NAME TITLE      prints the publish dialog's embedding code
// Prints the failure and exits with 1 when publishing fails.
#include "publish/publish_output.h"
#include "publish/zip_writer.h"
#include "tests/publish/wall_fixture.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int finish(const JobResult& result) {
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.message));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "wall") {
        WallFixture wall;
        wall.slides = args[3].toInt();
        wall.drawPictures = true;
        makeWall(args[2], wall);
        return 0;
    }
    if (args.size() == 4 && args[1] == "embed") {
        std::printf("%s",
                    qPrintable(embeddingSnippet({args[2], {args[3], {}, {}}, BookLayout::Web})));
        return 0;
    }
    if (args.size() != 8) {
        std::fprintf(stderr, "usage: publish_tool wall|html|zip ...\n");
        return 2;
    }
    const BookOptions book{args[4], {args[5], args[6], args[7]}, BookLayout::Web};
    if (args[1] == "html") {
        return finish(copyBook(WallFolder(args[2]), args[3], book));
    }
    return finish(makeZip(args[3], args[2] + "/.zapperstab/", WallFolder(args[2]), book));
}
