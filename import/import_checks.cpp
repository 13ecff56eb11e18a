#include "import/import_checks.h"

#include "import/page_range.h"
#include "wall/locations.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The texts belong to the import dialog, whose translations carry them.
QString tr(const char* text) {
    return QCoreApplication::translate("Import", text);
}

} // namespace

QString converterProgram() {
    return applicationFolder() + QStringLiteral("lantrel.dll");
}

QString converterProblem(const QString& converter) {
    if (QFileInfo(converter).isReadable()) {
        return QString();
    }
    return tr("Can NOT locate \"%1\" file, please reinstall this software to try again.")
        .arg(converter);
}

QString sourceProblem(const QString& deck) {
    if (deck.isEmpty()) {
        return tr("Choose a presentation to import first.");
    }
    if (!QFileInfo::exists(deck)) {
        return failureText(ImportJob::Failure::InputMissing, deck, QString());
    }
    return QString();
}

QString rangeProblem(const QString& range, QStringList& chooesPage) {
    const int count = analysisImage(range, chooesPage);
    if (count < 1) {
        return tr("The page range names no page. Use page numbers and ranges separated by "
                  "commas, for example 1, 3-5, 8.");
    }
    if (count >= kTooManyPages) {
        return tr("The page range names more than %1 pages or a page above %1. Import at most "
                  "%1 pages, for example 1-100.")
            .arg(kMaxPages);
    }
    return QString();
}

bool failureLiesInTheDeck(ImportJob::Failure failure) {
    using Failure = ImportJob::Failure;
    return failure == Failure::NotAPresentation || failure == Failure::InputMissing ||
           failure == Failure::NoSlideInRange || failure == Failure::CannotStart;
}

QString failureText(ImportJob::Failure failure, const QString& deck, const QString& detail) {
    using Failure = ImportJob::Failure;
    switch (failure) {
    case Failure::CannotStart:
        return detail;
    case Failure::InputMissing:
        return tr("\"%1\" does not exist.").arg(deck);
    case Failure::NotAPresentation:
        return tr("\"%1\" could not be opened as a presentation.").arg(deck);
    case Failure::OfficeNotStarted:
        return tr("LibreOffice could not be started. Check that it is installed, then try again.");
    case Failure::TimedOut:
        return tr("LibreOffice took too long to open the presentation. Please try again.");
    case Failure::NoSlideInRange:
        return (detail.toInt() == 1
                    ? tr("The presentation has only 1 slide: the page range names none of it.")
                    : tr("The presentation has only %1 slides: the page range names none of "
                         "them.")
                          .arg(detail)) +
               tr(" The wall is left as it was.");
    case Failure::ConversionFailed:
        break;
    }
    return tr("The presentation could not be converted. Save it anew in LibreOffice Impress and "
              "import that copy.");
}

bool isPresentationFile(const QString& path) {
    return kPresentationSuffixes.contains(QFileInfo(path).suffix().toLower());
}
