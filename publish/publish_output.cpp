#include "publish/publish_output.h"

#include "publish/exe_output.h"
#include "wall/remembered_values.h"

#include <QChar>
#include <QCoreApplication>

QString outputExtension(PublishMode mode) {
    switch (mode) {
    case PublishMode::Zip:
        return QStringLiteral(".zip");
    case PublishMode::Exe:
        return QStringLiteral(".exe");
    case PublishMode::Html:
        break;
    }
    return QStringLiteral(".html");
}

QString outputNameProblem(const QString& name, PublishMode mode) {
    if (name.isEmpty() && mode != PublishMode::Html) {
        return QCoreApplication::translate("Publish", "Name the %1 file: an empty name would make "
                                                      "a hidden \"%2\".")
            .arg(outputExtension(mode).mid(1).toUpper(), outputExtension(mode));
    }
    if (!name.contains('/') && !name.contains(QChar(0)) && name != "." && name != "..") {
        return QString();
    }
    return QCoreApplication::translate("Publish",
                                       "\"%1\" cannot be a file name: it must not contain \"/\".")
        .arg(name);
}

QString outputTarget(const QString& folder, const QString& name, PublishMode mode) {
    // The web folder's page is named as copyBook names it (an empty name gives "index.html").
    return folder + "/" +
           (mode == PublishMode::Html ? pageFileName(name) : name + outputExtension(mode));
}

BookOptions rememberedBook(const RememberedValues& values) {
    return {values.value(SlotOutputName),
            {values.value(SlotHtmlTitle), values.value(SlotHtmlKeywords),
             values.value(SlotHtmlDescription)},
            BookLayout::Web};
}

PublishResult publishOutput(PublishMode mode, const QString& workFolder, const QString& folder,
                            const BookOptions& book, const ZipProgress& progress) {
    switch (mode) {
    case PublishMode::Html:
        return copyBook(workFolder, folder, book);
    case PublishMode::Zip:
        return makeZip(outputTarget(folder, book.pageName, mode), workFolder + "/.zapperstab/",
                       workFolder, book, progress);
    case PublishMode::Exe:
        break;
    }
    return makeExe(outputTarget(folder, book.pageName, mode), workFolder + book.pageName + ".zip",
                   workFolder, progress);
}
