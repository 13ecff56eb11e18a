#include "import/pdf_document.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <splash/SplashBitmap.h>

#include <algorithm>
#include <cmath>

namespace {

// A PDF's header may follow some bytes of other data, and its end marker may be followed by some.
constexpr qint64 kMarkerWindow = 1024;

// The texts belong to the import dialog, whose translations carry them.
QString tr(const char* text) {
    return QCoreApplication::translate("Import", text);
}

QByteArray head(QFile& file) {
    file.seek(0);
    return file.read(kMarkerWindow);
}

QByteArray tail(QFile& file) {
    file.seek(std::max<qint64>(0, file.size() - kMarkerWindow));
    return file.read(kMarkerWindow);
}

// The problem a file shows before poppler reads it: not a PDF at all, or cut short (a PDF ends
// with its end-of-file marker; poppler would make do with what is left and show part of it).
PdfDocument::Problem fileProblem(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return PdfDocument::Problem::Missing;
    }
    if (!head(file).contains("%PDF-")) {
        return PdfDocument::Problem::NotAPdf;
    }
    if (!tail(file).contains("%%EOF")) {
        return PdfDocument::Problem::Damaged;
    }
    return PdfDocument::Problem::None;
}

// The document catalog's /Lang, read by qpdf: the catalog may be packed into a compressed object
// stream or its strings encrypted, which poppler's binding does not read for us.
QString catalogLanguage(const QString& path, const QByteArray& password) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(QFile::encodeName(path).constData(),
                        password.isEmpty() ? nullptr : password.constData());
        QPDFObjectHandle language = pdf.getRoot().getKey("/Lang");
        return language.isString() ? QString::fromStdString(language.getUTF8Value()).trimmed()
                                   : QString();
    } catch (const std::exception&) {
        return {};
    }
}

// dc:language of the XMP metadata.
QString metadataLanguage(const QString& metadata) {
    static const QRegularExpression language(
        QStringLiteral("<dc:language>.*?<rdf:li[^>]*>([^<]+)</rdf:li>"),
        QRegularExpression::DotMatchesEverythingOption);
    return language.match(metadata).captured(1).trimmed();
}

int pixelsOf(double points) {
    return static_cast<int>(std::lround(points * kPdfPageDpi / 72.0));
}

// Poppler lays the text out with blanks that stand for its indents, and blank lines for its gaps:
// each line is trimmed and runs of empty lines become one.
QString tidiedText(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() || (!lines.isEmpty() && !lines.last().isEmpty())) {
            lines << trimmed;
        }
    }
    while (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines.join(QLatin1Char('\n'));
}

WordsLink linkOf(const Poppler::Link& link, bool& kept) {
    WordsLink words;
    const QRectF area = link.linkArea().normalized();
    words.x = area.x();
    words.y = area.y();
    words.w = area.width();
    words.h = area.height();
    kept = false;
    if (link.linkType() == Poppler::Link::Browse) {
        words.url = static_cast<const Poppler::LinkBrowse&>(link).url();
        kept = !words.url.isEmpty();
    } else if (link.linkType() == Poppler::Link::Goto) {
        const auto& jump = static_cast<const Poppler::LinkGoto&>(link);
        words.slide = jump.isExternal() ? 0 : jump.destination().pageNumber();
        kept = words.slide > 0;
    }
    return words;
}

// Poppler's complaints about a file's syntax go nowhere: the checks above tell the user what
// matters, and a page that cannot be drawn says so itself.
void quietPoppler(ErrorCategory, Goffset, const char*) {}

std::optional<GooString> passwordOf(const QByteArray& password) {
    return password.isEmpty() ? std::nullopt
                              : std::optional<GooString>(std::in_place, password.constData(),
                                                         static_cast<int>(password.size()));
}

void deleteBitmap(void* bitmap) {
    delete static_cast<SplashBitmap*>(bitmap);
}

} // namespace

// One Splash output device for the whole document, anti-aliased as the Qt binding renders, on
// white paper, in 24-bit RGB whose rows are padded to 4 bytes as a QImage's are.
class PdfRasteriser {
public:
    PdfRasteriser(const QString& path, const QByteArray& password)
        : params_(quietPoppler),
          document_(std::make_unique<GooString>(QFile::encodeName(path).toStdString()),
                    passwordOf(password), passwordOf(password)),
          device_(splashModeRGB8, 4, false, paper()) {
        device_.setFontAntialias(true);
        device_.setVectorAntialias(true);
        device_.setFreeTypeHinting(false, false);
        device_.startDoc(&document_);
    }

    bool opened() { return document_.isOk(); }

    // The page's crop box in points, as it is shown (a page turned by 90° swaps its sides).
    QSizeF pageSize(int page) {
        const QSizeF size(document_.getPageCropWidth(page), document_.getPageCropHeight(page));
        return document_.getPageRotate(page) % 180 == 0 ? size : size.transposed();
    }

    // The picture owns the bitmap the device painted and frees it with itself.
    QImage render(int page) {
        document_.displayPageSlice(&device_, page, kPdfPageDpi, kPdfPageDpi, 0, false, true, false,
                                   -1, -1, -1, -1);
        SplashBitmap* bitmap = device_.takeBitmap();
        if (!bitmap || !bitmap->getDataPtr()) {
            delete bitmap;
            return {};
        }
        return QImage(bitmap->getDataPtr(), bitmap->getWidth(), bitmap->getHeight(),
                      bitmap->getRowSize(), QImage::Format_RGB888, deleteBitmap, bitmap);
    }

private:
    static SplashColorPtr paper() {
        static SplashColor white = {0xff, 0xff, 0xff};
        return white;
    }

    GlobalParamsIniter params_;
    PDFDoc document_;
    SplashOutputDev device_;
};

PdfDocument::PdfDocument(const QString& path, const QByteArray& password)
    : path_(path), password_(password) {
    problem_ = fileProblem(path);
    if (problem_ != Problem::None) {
        return;
    }
    document_ = Poppler::Document::load(path, password, password);
    if (!document_) {
        problem_ = Problem::Damaged;
    } else if (document_->isLocked()) {
        problem_ = password.isEmpty() ? Problem::NeedsPassword : Problem::WrongPassword;
    } else if (document_->numPages() < 1) {
        problem_ = Problem::NoPages;
    } else {
        document_->setRenderHint(Poppler::Document::Antialiasing);
        document_->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    if (problem_ == Problem::None) {
        rasteriser_ = std::make_unique<PdfRasteriser>(path, password);
        if (!rasteriser_->opened()) {
            problem_ = Problem::Damaged;
        }
    }
    if (problem_ != Problem::None) {
        document_.reset();
        rasteriser_.reset();
    }
}

PdfDocument::~PdfDocument() = default;

QString PdfDocument::problemText() const {
    switch (problem_) {
    case Problem::None:
        return {};
    case Problem::Missing:
        return tr("\"%1\" does not exist.").arg(path_);
    case Problem::NotAPdf:
        return tr("\"%1\" is not a PDF file.").arg(path_);
    case Problem::Damaged:
        return tr("\"%1\" is damaged or incomplete and cannot be read as a PDF.").arg(path_);
    case Problem::NeedsPassword:
        return tr("\"%1\" is protected by a password.").arg(path_);
    case Problem::WrongPassword:
        return tr("The password does not open \"%1\".").arg(path_);
    case Problem::NoPages:
        return tr("\"%1\" has no pages.").arg(path_);
    }
    return {};
}

int PdfDocument::pageCount() const {
    return document_ ? document_->numPages() : 0;
}

QImage PdfDocument::render(int index, QString& error) const {
    if (!rasteriser_ || index < 0 || index >= pageCount()) {
        error = tr("page %1 cannot be read").arg(index + 1);
        return {};
    }
    const QSizeF size = rasteriser_->pageSize(index + 1);
    if (pixelsOf(size.width()) > kMaxPdfPagePixels || pixelsOf(size.height()) > kMaxPdfPagePixels) {
        error = tr("page %1 is too large to show (%2 × %3 inches)")
                    .arg(index + 1)
                    .arg(std::lround(size.width() / 72))
                    .arg(std::lround(size.height() / 72));
        return {};
    }
    const QImage image = rasteriser_->render(index + 1);
    // A page poppler cannot start drawing leaves the device's empty one-pixel bitmap.
    if (image.isNull() || std::abs(image.width() - pixelsOf(size.width())) > 1) {
        error = tr("page %1 could not be rendered").arg(index + 1);
        return {};
    }
    return image;
}

SlideWords PdfDocument::words(int index) const {
    SlideWords words;
    words.number = index + 1;
    const std::unique_ptr<Poppler::Page> page = document_ ? document_->page(index) : nullptr;
    if (!page) {
        return words;
    }
    words.text = tidiedText(page->text(QRectF()));
    words.title = words.text.section(QLatin1Char('\n'), 0, 0);
    for (const std::unique_ptr<Poppler::Link>& link : page->links()) {
        bool kept = false;
        const WordsLink found = linkOf(*link, kept);
        if (kept) {
            words.links << found;
        }
    }
    return words;
}

DeckWords PdfDocument::documentWords() const {
    DeckWords words;
    if (!document_) {
        return words;
    }
    words.title = document_->info(QStringLiteral("Title"));
    words.author = document_->info(QStringLiteral("Author"));
    words.language = metadataLanguage(document_->metadata());
    if (words.language.isEmpty()) {
        words.language = catalogLanguage(path_, password_);
    }
    return words;
}
