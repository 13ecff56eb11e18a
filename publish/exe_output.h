// The executable output: a copy of the book stub with the book appended as its payload, which the
// stub finds in its own file, unpacks and opens. Payload, all integers big-endian as QDataStream
// writes them: the length word 26, the marker "QUORVEXBOOKPAYLOAD9876540" and a zero byte, the
// archive's length word and the archive. Nothing follows the archive. No windows involved.
#pragma once

#include "publish/book_copy.h"
#include "publish/zip_writer.h"

#include <QString>

// The stubs beside the program: "book.exe" for Windows (what the output is made of) and "book"
// for Linux (what murano runs to show an output).
QString windowsStubPath();
QString linuxStubPath();

// Writes stub + payload to targetPath, with execute permission. The file is written beside the
// target and put in its place only when complete, so a failure leaves the earlier target (or
// nothing) and never a half-written or payload-only file. The archive is streamed, never read
// whole, and removed afterwards whatever the outcome.
JobResult generateExe(const QString& archivePath, const QString& targetPath,
                      const QString& stubPath = windowsStubPath());

// The executable output of the wall: makeZip packs the book in its "Book/" layout (staging folder
// the wall's executable staging) into archivePath, then generateExe. A failure of either step is
// returned; the archive does not outlive the call.
JobResult makeExe(const QString& targetPath, const QString& archivePath, const WallFolder& wall,
                  const ZipProgress& progress = {}, const QString& stubPath = windowsStubPath());

// Shows an output as its recipient will see it: starts the Linux stub with "--open targetPath",
// detached. False when the stub cannot be started.
bool openExe(const QString& targetPath, const QString& linuxStub = linuxStubPath());
