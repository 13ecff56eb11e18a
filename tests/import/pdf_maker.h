// Small PDFs written byte by byte for the import's tests: pages of any size, each filled with its
// own colour, with lines of text, drawings of their own, URL links and jumps to pages, and the
// document's title, author and language. qpdf (a real PDF tool) protects them with passwords.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <vector>

struct MadeLink {
    QRectF rect; // in points, from the page's top left
    QString url; // or, when empty, a jump to `page` (from 1)
    int page = 0;
};

struct MadePage {
    double width = 612, height = 792; // points
    QColor colour = Qt::white;
    QStringList lines; // from the top, one below the other
    QList<MadeLink> links;
};

struct MadePdf {
    QList<MadePage> pages;
    QString title, author, language;
    // Content of each page's own, drawn last (page by page; /Half is a graphics state of half
    // opacity).
    QList<QByteArray> drawings;
};

// Page n's colour, telling its number back from a rendered picture.
inline QColor pageColour(int n) {
    return QColor::fromHsv((n * 47) % 360, 200, 230);
}

inline QByteArray pdfNumber(double value) {
    return QByteArray::number(value, 'f', 2);
}

inline QByteArray pdfString(const QString& text) {
    QByteArray escaped = text.toLatin1();
    escaped.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)");
    return "(" + escaped + ")";
}

inline QByteArray pageContent(const MadePage& page, const QByteArray& drawing) {
    const QColor c = page.colour;
    QByteArray content = pdfNumber(c.redF()) + " " + pdfNumber(c.greenF()) + " " +
                         pdfNumber(c.blueF()) + " rg 0 0 " + pdfNumber(page.width) + " " +
                         pdfNumber(page.height) + " re f 0 g\n";
    for (int i = 0; i < page.lines.size(); ++i) {
        content += "BT /F1 20 Tf 40 " + pdfNumber(page.height - 60 - 30 * i) + " Td " +
                   pdfString(page.lines.at(i)) + " Tj ET\n";
    }
    return content + drawing;
}

// The PDF's bytes; object numbers: 1 catalog, 2 page tree, 3 font, 4 information, then for each
// page its page object, its content and its links.
inline QByteArray makePdf(const MadePdf& made) {
    std::vector<QByteArray> objects(4);
    std::vector<int> pageObjects;
    int next = 5;
    for (const MadePage& page : made.pages) {
        pageObjects.push_back(next);
        next += 2 + static_cast<int>(page.links.size());
    }
    QByteArray kids;
    for (const int number : pageObjects) {
        kids += QByteArray::number(number) + " 0 R ";
    }
    objects[0] = "<< /Type /Catalog /Pages 2 0 R" +
                 (made.language.isEmpty() ? QByteArray() : " /Lang " + pdfString(made.language)) +
                 " >>";
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " +
                 QByteArray::number(made.pages.size()) + " >>";
    objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    objects[3] =
        "<< /Title " + pdfString(made.title) + " /Author " + pdfString(made.author) + " >>";
    for (int p = 0; p < made.pages.size(); ++p) {
        const MadePage& page = made.pages.at(p);
        const int self = pageObjects[p];
        QByteArray annots;
        for (int k = 0; k < page.links.size(); ++k) {
            annots += QByteArray::number(self + 2 + k) + " 0 R ";
        }
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + pdfNumber(page.width) +
                          " " + pdfNumber(page.height) + "] /Resources << /Font << /F1 3 0 R >> " +
                          "/ExtGState << /Half << /ca 0.5 /CA 0.5 >> >> >> /Contents " +
                          QByteArray::number(self + 1) + " 0 R /Annots [" + annots + "] >>");
        const QByteArray content = pageContent(page, made.drawings.value(p));
        objects.push_back("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
                          content + "endstream");
        for (const MadeLink& link : page.links) {
            const QRectF r = link.rect;
            const QByteArray action =
                link.url.isEmpty()
                    ? "/Dest [" + QByteArray::number(pageObjects[link.page - 1]) + " 0 R /Fit]"
                    : "/A << /S /URI /URI " + pdfString(link.url) + " >>";
            objects.push_back("<< /Type /Annot /Subtype /Link /Border [0 0 0] /Rect [" +
                              pdfNumber(r.left()) + " " + pdfNumber(page.height - r.bottom()) +
                              " " + pdfNumber(r.right()) + " " + pdfNumber(page.height - r.top()) +
                              "] " + action + " >>");
        }
    }
    QByteArray pdf = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(qulonglong(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf +=
        "xref\n0 " + QByteArray::number(qulonglong(objects.size() + 1)) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets) {
        pdf += QByteArray::number(qlonglong(offset)).rightJustified(10, '0') + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + QByteArray::number(qulonglong(objects.size() + 1)) +
           " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + QByteArray::number(qlonglong(xref)) +
           "\n%%EOF\n";
    return pdf;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Writes `from` again into `to` through qpdf with `options`; false when qpdf fails.
inline bool rewriteWithQpdf(const QString& from, const QString& to, const QStringList& options) {
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), QStringList(options) << from << to);
    return qpdf.waitForFinished(60000) && qpdf.exitStatus() == QProcess::NormalExit &&
           qpdf.exitCode() == 0;
}

// Page `page` (from 1) turned by its /Rotate entry, as scanners and viewers save turned pages.
inline bool rotatePage(const QString& from, const QString& to, int page, int degrees) {
    return rewriteWithQpdf(from, to, {QStringLiteral("--rotate=+%1:%2").arg(degrees).arg(page)});
}

// Protects `from` with a user password into `to` through qpdf; false when qpdf fails.
inline bool protectWithPassword(const QString& from, const QString& to, const QString& password) {
    return rewriteWithQpdf(from, to,
                           {QStringLiteral("--encrypt"), password,
                            password + QStringLiteral("-owner"), QStringLiteral("256"),
                            QStringLiteral("--")});
}
