// What an import checks before it starts the converter, and what it tells the user when a run
// fails. The import dialog shows these texts in its message box; a batch run prints them.
#pragma once

#include "import/import_job.h"

#include <QString>
#include <QStringList>

// The file types the import takes, by suffix.
inline const QStringList kPresentationSuffixes = {QStringLiteral("ppt"), QStringLiteral("pptx"),
                                                  QStringLiteral("pps"), QStringLiteral("ppsx"),
                                                  QStringLiteral("odp"), QStringLiteral("pdf")};
bool isPresentationFile(const QString& path);

// The converter beside the program: the application folder + "lantrel.dll".
QString converterProgram();

// Each check answers "" when all is well, else the message for the user.
// The converter must be there before an import is tried.
QString converterProblem(const QString& converter);
// The deck must be named and exist before an office suite is started for it.
QString sourceProblem(const QString& deck);
// Parses a custom page range into chooesPage; a range that names no page or too many is refused.
QString rangeProblem(const QString& range, QStringList& chooesPage);

// Whether a failure lies in the deck itself (or the converter is missing): trying it again on
// another office instance would fail alike.
bool failureLiesInTheDeck(ImportJob::Failure failure);

// What a failed converter run tells the user, short enough for the message box.
QString failureText(ImportJob::Failure failure, const QString& deck, const QString& detail);
