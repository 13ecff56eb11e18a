#include "import/pdf_document.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointF>
#include <QRectF>
#include <QRegularExpression>

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <splash/Splash.h>
#include <splash/SplashBitmap.h>
#include <splash/SplashClip.h>
#include <splash/SplashPattern.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

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

// The bitmap behind a page's picture. The device keeps painting into the same bitmap page after
// page (a fresh one costs its memory's page faults every page); a picture still held when the next
// page starts takes the bitmap over and frees it with its last copy.
struct PageLease {
    std::unique_ptr<SplashBitmap> taken;
};

void endLease(void* lease) {
    delete static_cast<PageLease*>(lease);
}

} // namespace

// Slides are painted mostly with large rectangles of one colour (backgrounds, bands, boxes), and
// the anti-aliased scan spends most of a page's time on them, pixel by pixel. This device paints a
// plain rectangle's inner pixels itself, with the colour the scan gives a fully covered pixel, and
// leaves the rest of the page to the scan, clipped to it: every pixel comes out as the scan alone
// would paint it, edges and clips included.
class SlideOutputDev : public SplashOutputDev {
public:
    using SplashOutputDev::SplashOutputDev;

    void startPage(int pageNum, GfxState* state, XRef* objects) override {
        SplashOutputDev::startPage(pageNum, state, objects);
        page_ = getBitmap();
    }

    void fill(GfxState* state) override {
        if (!fillRectangle(state, false)) {
            SplashOutputDev::fill(state);
        }
    }

    void eoFill(GfxState* state) override {
        if (!fillRectangle(state, true)) {
            SplashOutputDev::eoFill(state);
        }
    }

private:
    // Pixels in whole numbers, the right and bottom edges excluded.
    struct Block {
        int left, top, right, bottom;
        bool empty() const { return left >= right || top >= bottom; }
    };

    // Smaller rectangles are not worth the four clipped scans of their rim.
    static constexpr int kSmallestInside = 8;

    bool fillRectangle(GfxState* state, bool evenOdd) {
        const std::optional<QRectF> area = deviceRectangle(state);
        if (!area || !paintsPlainly(state)) {
            return false;
        }
        SplashClip* clip = getSplash()->getClip();
        const int width = page_->getWidth();
        const int height = page_->getHeight();
        const auto onPage = [](double value, int limit) {
            return int(std::clamp(value, 0.0, double(limit)));
        };
        // Stroke adjustment may move an edge by up to a pixel; a clip keeps the samples inside it.
        const Block inside{
            onPage(std::max(std::ceil(area->left()) + 1, std::ceil(clip->getXMin())), width),
            onPage(std::max(std::ceil(area->top()) + 1, std::ceil(clip->getYMin())), height),
            onPage(std::min(std::floor(area->right()) - 1, std::floor(clip->getXMax())), width),
            onPage(std::min(std::floor(area->bottom()) - 1, std::floor(clip->getYMax())), height)};
        if (inside.right - inside.left < kSmallestInside ||
            inside.bottom - inside.top < kSmallestInside) {
            return false;
        }
        paintInside(inside);
        for (const Block& rim :
             {Block{0, 0, width, inside.top}, Block{0, inside.bottom, width, height},
              Block{0, inside.top, inside.left, inside.bottom},
              Block{inside.right, inside.top, width, inside.bottom}}) {
            scanWithin(state, evenOdd, rim);
        }
        return true;
    }

    // The path's area on the page when it is one rectangle with its sides along the pixels'
    // (its corners in any order, points on its sides allowed), gone round once.
    static std::optional<QRectF> deviceRectangle(GfxState* state) {
        const GfxPath* path = state->getPath();
        if (!path || path->getNumSubpaths() != 1) {
            return std::nullopt;
        }
        const GfxSubpath* sub = path->getSubpath(0);
        const int points = sub->getNumPoints();
        if (points < 4 || points > 8) {
            return std::nullopt;
        }
        std::vector<QPointF> corners;
        for (int i = 0; i < points; ++i) {
            if (sub->getCurve(i)) {
                return std::nullopt;
            }
            double x = 0, y = 0;
            state->transform(sub->getX(i), sub->getY(i), &x, &y);
            corners.emplace_back(x, y);
        }
        QPointF least = corners.front();
        QPointF most = corners.front();
        for (const QPointF& corner : corners) {
            least = {std::min(least.x(), corner.x()), std::min(least.y(), corner.y())};
            most = {std::max(most.x(), corner.x()), std::max(most.y(), corner.y())};
        }
        const QRectF bounds(least, most);
        double twiceArea = 0;
        for (int i = 0; i < points; ++i) {
            const QPointF& from = corners[i];
            const QPointF& to = corners[(i + 1) % points];
            const bool alongLeftOrRight =
                from.x() == to.x() && (from.x() == bounds.left() || from.x() == bounds.right());
            const bool alongTopOrBottom =
                from.y() == to.y() && (from.y() == bounds.top() || from.y() == bounds.bottom());
            if (!alongLeftOrRight && !alongTopOrBottom) {
                return std::nullopt;
            }
            twiceArea += from.x() * to.y() - to.x() * from.y();
        }
        const double area = bounds.width() * bounds.height();
        if (!std::isfinite(area) || !std::isfinite(twiceArea) || area <= 0 ||
            std::abs(std::abs(twiceArea) / 2 - area) > area * 1e-9) {
            return std::nullopt;
        }
        return bounds;
    }

    // Whether a fully covered pixel simply takes the fill's colour: on the page itself (not a
    // group, a soft mask or a glyph), opaque, normal blending, no transfer function, a plain
    // colour, a clip of rectangles only, anti-aliased RGB.
    bool paintsPlainly(GfxState* state) {
        Splash* painter = getSplash();
        SplashPattern* pattern = painter ? painter->getFillPattern() : nullptr;
        Function** transfer = state->getTransfer();
        return painter && page_ && getBitmap() == page_ && painter->getBitmap() == page_ &&
               page_->getMode() == splashModeRGB8 && page_->getAlphaPtr() &&
               page_->getRowSize() > 0 && painter->getVectorAntialias() &&
               !painter->getSoftMask() && !painter->getBlendFunc() &&
               painter->getFillAlpha() == 1 && !painter->getInNonIsolatedGroup() &&
               painter->getClip()->getNumPaths() == 0 && pattern && pattern->isStatic() &&
               state->getFillColorSpace() && !state->getFillColorSpace()->isNonMarking() &&
               !transfer[0] && !transfer[1] && !transfer[2] && !transfer[3];
    }

    void paintInside(const Block& inside) {
        SplashColor colour;
        getSplash()->getFillPattern()->getColor(0, 0, colour);
        const int count = inside.right - inside.left;
        for (int y = inside.top; y < inside.bottom; ++y) {
            unsigned char* pixel =
                page_->getDataPtr() + std::ptrdiff_t(y) * page_->getRowSize() + 3 * inside.left;
            for (int x = 0; x < count; ++x, pixel += 3) {
                pixel[0] = colour[0];
                pixel[1] = colour[1];
                pixel[2] = colour[2];
            }
            std::memset(page_->getAlphaPtr() + std::ptrdiff_t(y) * page_->getWidth() + inside.left,
                        0xff, std::size_t(count));
        }
    }

    // The scan of the whole path, painting only inside `rim`. A clip keeps the samples on its
    // right and bottom edges, so those stop a sixteenth of a pixel short of the next pixel.
    void scanWithin(GfxState* state, bool evenOdd, const Block& rim) {
        if (rim.empty()) {
            return;
        }
        constexpr double kShort = 1.0 / 16;
        Splash* painter = getSplash();
        painter->saveState();
        painter->clipToRect(rim.left, rim.top, rim.right - kShort, rim.bottom - kShort);
        if (evenOdd) {
            SplashOutputDev::eoFill(state);
        } else {
            SplashOutputDev::fill(state);
        }
        painter->restoreState();
    }

    SplashBitmap* page_ = nullptr;
};

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

    ~PdfRasteriser() { releaseLastPage(); }
    PdfRasteriser(const PdfRasteriser&) = delete;
    PdfRasteriser& operator=(const PdfRasteriser&) = delete;

    // The page's picture lies in the device's bitmap, until the next page if no copy of it is
    // held by then.
    QImage render(int page) {
        releaseLastPage();
        document_.displayPageSlice(&device_, page, kPdfPageDpi, kPdfPageDpi, 0, false, true, false,
                                   -1, -1, -1, -1);
        SplashBitmap* bitmap = device_.getBitmap();
        if (!bitmap || !bitmap->getDataPtr()) {
            return {};
        }
        lease_ = new PageLease;
        last_ = QImage(bitmap->getDataPtr(), bitmap->getWidth(), bitmap->getHeight(),
                       bitmap->getRowSize(), QImage::Format_RGB888, endLease, lease_);
        return last_;
    }

private:
    static SplashColorPtr paper() {
        static SplashColor white = {0xff, 0xff, 0xff};
        return white;
    }

    // A copy of the last page's picture held elsewhere keeps its bitmap; the device paints the
    // next page into a new one.
    void releaseLastPage() {
        if (!last_.isNull() && !last_.isDetached()) {
            lease_->taken.reset(device_.takeBitmap());
        }
        last_ = QImage();
        lease_ = nullptr;
    }

    GlobalParamsIniter params_;
    PDFDoc document_;
    SlideOutputDev device_;
    QImage last_;
    PageLease* lease_ = nullptr; // owned by last_ and its copies
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
