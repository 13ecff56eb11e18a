// The upload dialog at work, timed from inside and driven by bench/upload-bench.py. The wall is
// the work folder under $XDG_STATE_HOME, the service is $MURANO_BOOK_SERVICE.
//   upload_bench upload USER PASSWORD BOOK   logs in and uploads; prints pack and transfer
//                                            seconds, the archive's bytes and peak memory
//   upload_bench body USER BOOK FILE         writes the same request body to FILE (for curl)
#include "share/book_packing.h"
#include "share/multipart_stream.h"
#include "share/upload.h"
#include "wall/locations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int writeBody(const QString& user, const QString& book, const QString& out) {
    const BookPacking packing{
        workFolder(), book, {"Bench", "", ""}, upLoad::temporaryPage(), upLoad::temporaryArchive()};
    if (!packBook(packing).ok()) {
        return 1;
    }
    MultipartStream body(packing.archivePath, user, book);
    QFile file(out);
    if (!body.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) {
        return 1;
    }
    while (!body.atEnd()) {
        file.write(body.read(1 << 20));
    }
    QFile::remove(packing.archivePath);
    return 0;
}

int upload(const QString& user, const QString& password, const QString& book) {
    upLoad dialog;
    dialog.findChild<QLineEdit*>("lineEdit_user")->setText(user);
    dialog.findChild<QLineEdit*>("lineEdit_pwd")->setText(password);
    dialog.on_Login_click();
    auto* status = dialog.findChild<QLabel*>("label_11");
    QElapsedTimer clock;
    qint64 packedAt = -1;
    qint64 archiveBytes = 0;
    bool started = false;
    int exitCode = 1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.isLoggedIn()) {
            return;
        }
        if (!started) {
            started = true;
            dialog.findChild<QLineEdit*>("lineEdit_bookName")->setText(book);
            clock.start();
            dialog.on_upLoad_click();
            return;
        }
        if (packedAt < 0 && status->text().startsWith("Upload --")) {
            packedAt = clock.elapsed();
            archiveBytes = QFileInfo(upLoad::temporaryArchive()).size();
        }
        if (!dialog.isUploadBusy()) {
            const qint64 done = clock.elapsed();
            exitCode = status->text().startsWith("Upload Successfully") ? 0 : 1;
            std::printf("pack_seconds %.3f\ntransfer_seconds %.3f\narchive_bytes %lld\n"
                        "peak_kib %ld\n",
                        packedAt / 1000.0, (done - packedAt) / 1000.0,
                        static_cast<long long>(archiveBytes), peakKiB());
            QApplication::exit(exitCode);
        }
    });
    poll.start(1);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == "upload") {
        return upload(args[2], args[3], args[4]);
    }
    if (args.size() == 5 && args[1] == "body") {
        return writeBody(args[2], args[3], args[4]);
    }
    std::fprintf(stderr, "usage: upload_bench upload USER PASSWORD BOOK | body USER BOOK FILE\n");
    return 2;
}
