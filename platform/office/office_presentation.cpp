#include "platform/office/office_uno.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/GraphicExportFilter.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPages.hpp>
#include <com/sun/star/drawing/XGraphicExportFilter.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <cmath>
#include <cstdio>
#include <vector>

namespace office {
namespace {

using namespace detail;
using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// The graphic filters' short names and whether the pixel size applies.
struct FormatRow {
    SlideFormat format;
    const char* filterName;
    bool raster;
};

const FormatRow kFormats[] = {
    {SlideFormat::Jpeg, "jpg", true}, {SlideFormat::Png, "png", true},
    {SlideFormat::Gif, "gif", true},  {SlideFormat::Bmp, "bmp", true},
    {SlideFormat::Tiff, "tif", true}, {SlideFormat::Wmf, "wmf", false},
    {SlideFormat::Emf, "emf", false},
};

const FormatRow& formatRow(SlideFormat format) {
    for (const FormatRow& row : kFormats) {
        if (row.format == format) {
            return row;
        }
    }
    return kFormats[0];
}

// The office suite's bitmap writer records a wrong total file size in the header, which stricter
// readers refuse; the size is put right after every bitmap export.
bool repairBitmapFileSize(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file) {
        return false;
    }
    unsigned char header[2] = {};
    bool repaired = false;
    if (std::fread(header, 1, 2, file) == 2 && header[0] == 'B' && header[1] == 'M' &&
        std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        const unsigned char little[4] = {
            static_cast<unsigned char>(size), static_cast<unsigned char>(size >> 8),
            static_cast<unsigned char>(size >> 16), static_cast<unsigned char>(size >> 24)};
        repaired =
            size > 0 && std::fseek(file, 2, SEEK_SET) == 0 && std::fwrite(little, 1, 4, file) == 4;
    }
    return std::fclose(file) == 0 && repaired;
}

Reference<css::drawing::XDrawPage> drawPage(const Reference<css::lang::XComponent>& doc,
                                            int index) {
    Reference<css::drawing::XDrawPage> page;
    drawPagesOf(doc)->getByIndex(index) >>= page;
    return page;
}

css::uno::Sequence<css::beans::PropertyValue> graphicFilterData(const FormatRow& row,
                                                                int widthPixels, int heightPixels) {
    if (!row.raster) {
        return {};
    }
    const css::beans::PropertyValue values[] = {
        property("PixelWidth", Any(static_cast<sal_Int32>(widthPixels))),
        property("PixelHeight", Any(static_cast<sal_Int32>(heightPixels))),
        property("Quality", Any(static_cast<sal_Int32>(90))), // JPEG only; others ignore it
    };
    return propertyList(values);
}

// Shows or hides the master slide's objects on one page for the time of an export.
class MasterArtworkSwitch {
public:
    MasterArtworkSwitch(const Reference<css::drawing::XDrawPage>& page, bool visible)
        : page_(page, UNO_QUERY) {
        if (visible || !page_.is()) {
            page_.clear();
            return;
        }
        page_->getPropertyValue("IsBackgroundObjectsVisible") >>= previous_;
        page_->setPropertyValue("IsBackgroundObjectsVisible", Any(false));
    }
    ~MasterArtworkSwitch() {
        try {
            if (page_.is()) {
                page_->setPropertyValue("IsBackgroundObjectsVisible", Any(previous_));
            }
        } catch (...) {
            // The document is read-only and closed after the export: nothing to keep consistent.
        }
    }
    MasterArtworkSwitch(const MasterArtworkSwitch&) = delete;
    MasterArtworkSwitch& operator=(const MasterArtworkSwitch&) = delete;

private:
    Reference<css::beans::XPropertySet> page_;
    bool previous_ = true;
};

void setDocumentProperties(const Reference<css::lang::XComponent>& doc,
                           const PdfSettings& settings) {
    const Reference<css::document::XDocumentPropertiesSupplier> supplier(doc, UNO_QUERY);
    if (!supplier.is()) {
        return;
    }
    const Reference<css::document::XDocumentProperties> properties =
        supplier->getDocumentProperties();
    if (!settings.title.empty()) {
        properties->setTitle(toOUString(settings.title));
    }
    if (!settings.subject.empty()) {
        properties->setSubject(toOUString(settings.subject));
    }
    if (!settings.author.empty()) {
        properties->setAuthor(toOUString(settings.author));
    }
    if (!settings.keywords.empty()) {
        const OUString keywords[] = {toOUString(settings.keywords)};
        properties->setKeywords(css::uno::Sequence<OUString>(keywords, 1));
    }
}

css::uno::Sequence<css::beans::PropertyValue> pdfFilterData(const PdfSettings& settings) {
    std::vector<css::beans::PropertyValue> values = {
        property("ExportBookmarks", Any(settings.bookmarks)),
        property("ExportNotesPages", Any(false)),
    };
    if (!settings.openPassword.empty()) {
        values.push_back(property("EncryptFile", Any(true)));
        values.push_back(property("DocumentOpenPassword", Any(toOUString(settings.openPassword))));
    }
    if (!settings.permissionPassword.empty()) {
        values.push_back(property("RestrictPermissions", Any(true)));
        values.push_back(
            property("PermissionPassword", Any(toOUString(settings.permissionPassword))));
        values.push_back(property("Printing", Any(static_cast<sal_Int32>(settings.printing))));
        values.push_back(property("Changes", Any(static_cast<sal_Int32>(settings.changes))));
        values.push_back(property("EnableCopyingOfContent", Any(settings.copying)));
        values.push_back(
            property("EnableTextAccessForAccessibilityTools", Any(settings.accessibility)));
    }
    return css::uno::Sequence<css::beans::PropertyValue>(values.data(),
                                                         static_cast<sal_Int32>(values.size()));
}

void storeTo(const Reference<css::lang::XComponent>& doc, const std::string& path,
             const char* filter, const css::uno::Sequence<css::beans::PropertyValue>& filterData) {
    const css::beans::PropertyValue arguments[] = {
        property("FilterName", Any(OUString::createFromAscii(filter))),
        property("FilterData", Any(filterData)),
        property("Overwrite", Any(true)),
    };
    const Reference<css::frame::XStorable> storable(doc, UNO_QUERY_THROW);
    storable->storeToURL(fileUrl(path), propertyList(arguments));
}

std::vector<OutlineParagraph> paragraphsOf(const Reference<css::text::XText>& text) {
    std::vector<OutlineParagraph> paragraphs;
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
    if (!access.is()) {
        return paragraphs;
    }
    const Reference<css::container::XEnumeration> items = access->createEnumeration();
    while (items->hasMoreElements()) {
        Reference<css::text::XTextRange> range;
        items->nextElement() >>= range;
        if (!range.is()) {
            continue;
        }
        OutlineParagraph paragraph;
        paragraph.text = toUtf8(range->getString());
        const Reference<css::beans::XPropertySet> properties(range, UNO_QUERY);
        sal_Int16 level = 0;
        if (properties.is() && (properties->getPropertyValue("NumberingLevel") >>= level)) {
            paragraph.level = level < 0 ? 0 : level;
        }
        if (!paragraph.text.empty()) {
            paragraphs.push_back(std::move(paragraph));
        }
    }
    return paragraphs;
}

bool isEmptyPlaceholder(const Reference<css::drawing::XShape>& shape) {
    const Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
    bool empty = false;
    try {
        if (properties.is()) {
            properties->getPropertyValue("IsEmptyPresentationObject") >>= empty;
        }
    } catch (...) {
        empty = false;
    }
    return empty;
}

std::string joined(const std::vector<OutlineParagraph>& paragraphs) {
    std::string text;
    for (const OutlineParagraph& paragraph : paragraphs) {
        text += (text.empty() ? "" : " ") + paragraph.text;
    }
    return text;
}

// The title and body placeholders make the outline. A slide without any (decks converted from
// other formats often lose the placeholder roles) is outlined from its text shapes instead: the
// first one is the title, the others the body.
SlideOutline outlineOf(const Reference<css::drawing::XDrawPage>& page) {
    SlideOutline slide;
    std::vector<std::vector<OutlineParagraph>> otherTexts;
    for (sal_Int32 i = 0; i < page->getCount(); ++i) {
        Reference<css::drawing::XShape> shape;
        page->getByIndex(i) >>= shape;
        const Reference<css::lang::XServiceInfo> kind(shape, UNO_QUERY);
        const Reference<css::text::XText> text(shape, UNO_QUERY);
        if (!kind.is() || !text.is() || isEmptyPlaceholder(shape)) {
            continue;
        }
        std::vector<OutlineParagraph> paragraphs = paragraphsOf(text);
        if (paragraphs.empty()) {
            continue;
        }
        if (kind->supportsService("com.sun.star.presentation.TitleTextShape")) {
            slide.title = joined(paragraphs);
        } else if (kind->supportsService("com.sun.star.presentation.OutlinerShape") ||
                   kind->supportsService("com.sun.star.presentation.SubtitleShape")) {
            slide.body.insert(slide.body.end(), paragraphs.begin(), paragraphs.end());
        } else {
            otherTexts.push_back(std::move(paragraphs));
        }
    }
    if (slide.title.empty() && slide.body.empty() && !otherTexts.empty()) {
        slide.title = joined(otherTexts.front());
        for (std::size_t i = 1; i < otherTexts.size(); ++i) {
            slide.body.insert(slide.body.end(), otherTexts[i].begin(), otherTexts[i].end());
        }
    }
    return slide;
}

} // namespace

int pixelsAt96Dpi(int hundredthsOfMillimetre) {
    return static_cast<int>(std::lround(hundredthsOfMillimetre * 96.0 / 2540.0));
}

Presentation::Presentation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Presentation::~Presentation() {
    close();
}

void Presentation::close() {
    if (impl_->document.is()) {
        impl_->graphicFilter.clear();
        closeDocument(impl_->document);
        impl_->document.clear();
        impl_->context.clear();
    }
}

int Presentation::slideCount() const {
    try {
        return impl_->document.is() ? drawPagesOf(impl_->document)->getCount() : 0;
    } catch (...) {
        return 0;
    }
}

SlideSize Presentation::slideSize() const {
    SlideSize size;
    try {
        const Reference<css::beans::XPropertySet> page(drawPage(impl_->document, 0), UNO_QUERY);
        if (page.is()) {
            sal_Int32 width = 0;
            sal_Int32 height = 0;
            page->getPropertyValue("Width") >>= width;
            page->getPropertyValue("Height") >>= height;
            size.width = width;
            size.height = height;
        }
    } catch (...) {
        return {};
    }
    return size;
}

bool Presentation::exportSlide(int index, const std::string& path, SlideFormat format,
                               int widthPixels, int heightPixels, bool withMasterArtwork,
                               std::string& error) {
    const FormatRow& row = formatRow(format);
    try {
        const Reference<css::drawing::XDrawPage> page = drawPage(impl_->document, index);
        const MasterArtworkSwitch masterArtwork(page, withMasterArtwork);
        if (!impl_->graphicFilter.is()) {
            impl_->graphicFilter = css::drawing::GraphicExportFilter::create(impl_->context);
        }
        const Reference<css::drawing::XGraphicExportFilter>& filter = impl_->graphicFilter;
        filter->setSourceDocument(Reference<css::lang::XComponent>(page, UNO_QUERY_THROW));
        const css::beans::PropertyValue descriptor[] = {
            property("URL", Any(fileUrl(path))),
            property("FilterName", Any(OUString::createFromAscii(row.filterName))),
            property("FilterData", Any(graphicFilterData(row, widthPixels, heightPixels))),
        };
        if (filter->filter(propertyList(descriptor)) &&
            (format != SlideFormat::Bmp || repairBitmapFileSize(path))) {
            return true;
        }
        error = "the office suite did not export slide " + std::to_string(index + 1);
    } catch (...) {
        error =
            "cannot export slide " + std::to_string(index + 1) + ": " + describeCurrentException();
    }
    return false;
}

bool Presentation::exportPdf(const std::string& path, const PdfSettings& settings,
                             std::string& error) {
    try {
        setDocumentProperties(impl_->document, settings);
        storeTo(impl_->document, path, "impress_pdf_Export", pdfFilterData(settings));
        return true;
    } catch (...) {
        error = "cannot export the PDF file: " + describeCurrentException();
    }
    return false;
}

bool Presentation::exportHtml(const std::string& path, std::string& error) {
    try {
        // Page by page with a slide image each (not the single text-only page), at the slides'
        // own size, without a contents page: the page at `path` shows the first slide.
        const css::beans::PropertyValue filterData[] = {
            property("PublishMode", Any(static_cast<sal_Int32>(0))),
            property("Format", Any(static_cast<sal_Int32>(1))), // JPEG images
            property("Width", Any(static_cast<sal_Int32>(pixelsAt96Dpi(slideSize().width)))),
            property("IsExportContentsPage", Any(false)),
            property("IsExportNotes", Any(false)),
        };
        storeTo(impl_->document, path, "impress_html_Export", propertyList(filterData));
        return true;
    } catch (...) {
        error = "cannot export the HTML page: " + describeCurrentException();
    }
    return false;
}

std::vector<SlideOutline> Presentation::outline(std::string& error) const {
    std::vector<SlideOutline> slides;
    try {
        const Reference<css::container::XIndexAccess> pages = drawPagesOf(impl_->document);
        for (sal_Int32 i = 0; i < pages->getCount(); ++i) {
            Reference<css::drawing::XDrawPage> page;
            pages->getByIndex(i) >>= page;
            slides.push_back(page.is() ? outlineOf(page) : SlideOutline{});
        }
    } catch (...) {
        error = "cannot read the outline: " + describeCurrentException();
        slides.clear();
    }
    return slides;
}

} // namespace office
