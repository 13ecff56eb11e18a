// Draws murano's skin into <bin>/Image/, the template previews into <bin>/template/ and the
// program's icon into the icon theme folder.
// Usage: murano_skin <bin folder> <ImageMagick convert> <icon theme folder>
#include "platform/skin/skin.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    // Painting needs fonts but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4) {
        std::fprintf(stderr, "usage: murano_skin <bin folder> <convert> <icon theme folder>\n");
        return 2;
    }
    const QString bin = arguments.at(1);
    const SkinOutput out{bin + "/Image/", bin + "/template/", arguments.at(2),
                         arguments.at(3) + "/"};
    if (!QDir().mkpath(out.imageFolder) || !QDir().mkpath(out.templateFolder)) {
        std::fprintf(stderr, "cannot create the output folders under %s\n", qPrintable(bin));
        return 1;
    }
    bool ok = drawButtons(out);
    ok &= drawToolIcons(out);
    ok &= drawBackgrounds(out);
    ok &= drawBadges(out);
    ok &= drawAnimations(out);
    ok &= drawTemplatePreviews(out);
    return ok ? 0 : 1;
}
