// The words of a loaded deck: every slide's text in shape order (groups and tables included),
// its title, speaker notes, picture descriptions and links, and the deck's document properties.
#include "platform/office/office_uno.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertySetInfo.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/drawing/XShapes.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/presentation/ClickAction.hpp>
#include <com/sun/star/presentation/XPresentationPage.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextRange.hpp>

#include <cctype>
#include <map>

namespace office {
namespace {

using namespace detail;
using css::uno::Reference;
using css::uno::UNO_QUERY;

// Where a slide's shapes are read: the deck's slide names (for jumps), the slide's own number and
// size, and what has been read so far.
struct SlideReading {
    const std::map<std::string, int>& slideNumbers; // slide name -> number, from 1
    int number = 0;
    int slideCount = 0;
    double width = 1, height = 1; // hundredths of a millimetre
    SlideText slide;
    std::string firstText;
};

bool isA(const Reference<css::uno::XInterface>& object, const char* service) {
    const Reference<css::lang::XServiceInfo> info(object, UNO_QUERY);
    return info.is() && info->supportsService(OUString::createFromAscii(service));
}

template <typename T>
T propertyOr(const Reference<css::beans::XPropertySet>& properties, const char* name, T fallback) {
    try {
        const OUString key = OUString::createFromAscii(name);
        if (properties.is() && properties->getPropertySetInfo()->hasPropertyByName(key)) {
            properties->getPropertyValue(key) >>= fallback;
        }
    } catch (const css::uno::Exception&) {
        // A property the shape offers but cannot give counts as unset.
    }
    return fallback;
}

bool isEmptyPlaceholder(const Reference<css::drawing::XShape>& shape) {
    return propertyOr(Reference<css::beans::XPropertySet>(shape, UNO_QUERY),
                      "IsEmptyPresentationObject", false);
}

// The number of the slide a jump names: "#Slide 3" or "Slide 3", by the deck's slide names, else
// by the number the name ends in. 0 when it names none.
int slideNamed(const SlideReading& reading, std::string name) {
    if (!name.empty() && name[0] == '#') {
        name.erase(0, 1);
    }
    if (const auto found = reading.slideNumbers.find(name); found != reading.slideNumbers.end()) {
        return found->second;
    }
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
        --digits;
    }
    if (digits == name.size() || name.size() - digits > 6) {
        return 0;
    }
    const int number = std::stoi(name.substr(digits));
    return number >= 1 && number <= reading.slideCount ? number : 0;
}

// Puts a link over the whole shape.
void placeLink(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
               SlideLink link) {
    const css::awt::Point position = shape->getPosition();
    const css::awt::Size size = shape->getSize();
    link.x = position.X / reading.width;
    link.y = position.Y / reading.height;
    link.w = size.Width / reading.width;
    link.h = size.Height / reading.height;
    reading.slide.links.push_back(std::move(link));
}

void addJump(SlideReading& reading, const Reference<css::drawing::XShape>& shape, int slide) {
    if (slide >= 1 && slide <= reading.slideCount) {
        SlideLink link;
        link.slide = slide;
        placeLink(reading, shape, std::move(link));
    }
}

// A target that starts with "#" names a slide; any other is a URL.
void addLink(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
             const std::string& target) {
    if (target.empty()) {
        return;
    }
    if (target[0] == '#') {
        addJump(reading, shape, slideNamed(reading, target));
        return;
    }
    SlideLink link;
    link.url = target;
    placeLink(reading, shape, std::move(link));
}

// The URL fields of one paragraph become links over the shape that holds them.
void readFields(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
                const Reference<css::container::XEnumerationAccess>& paragraph) {
    if (!paragraph.is()) {
        return;
    }
    const Reference<css::container::XEnumeration> portions = paragraph->createEnumeration();
    while (portions->hasMoreElements()) {
        const Reference<css::beans::XPropertySet> portion(portions->nextElement(), UNO_QUERY);
        if (propertyOr(portion, "TextPortionType", OUString()) != "TextField") {
            continue;
        }
        const Reference<css::beans::XPropertySet> field(
            propertyOr(portion, "TextField", Reference<css::uno::XInterface>()), UNO_QUERY);
        addLink(reading, shape, toUtf8(propertyOr(field, "URL", OUString())));
    }
}

// The paragraphs of a text, each followed by a line break; its fields' links go to `shape`. A
// text that does not walk paragraph by paragraph (a table's cell) is taken whole.
std::string textOf(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
                   const Reference<css::text::XText>& text) {
    std::string paragraphs;
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
    const Reference<css::container::XEnumeration> items =
        access.is() ? access->createEnumeration() : Reference<css::container::XEnumeration>();
    while (items.is() && items->hasMoreElements()) {
        const Reference<css::text::XTextRange> range(items->nextElement(), UNO_QUERY);
        if (!range.is()) {
            continue;
        }
        readFields(reading, shape, Reference<css::container::XEnumerationAccess>(range, UNO_QUERY));
        const std::string line = toUtf8(range->getString());
        if (!line.empty()) {
            paragraphs += line + "\n";
        }
    }
    if (paragraphs.empty()) {
        paragraphs = toUtf8(text->getString());
        return paragraphs.empty() ? paragraphs : paragraphs + "\n";
    }
    return paragraphs;
}

// The cells of a table shape (its model is a range of cells); empty for any other shape.
Reference<css::table::XCellRange> tableOf(const Reference<css::drawing::XShape>& shape) {
    const Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
    return Reference<css::table::XCellRange>(
        propertyOr(properties, "Model", Reference<css::uno::XInterface>()), UNO_QUERY);
}

// A table row by row, its cells split by tabs.
std::string tableText(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
                      const Reference<css::table::XCellRange>& cells) {
    const Reference<css::table::XColumnRowRange> grid(cells, UNO_QUERY);
    if (!grid.is()) {
        return {};
    }
    const sal_Int32 columns = grid->getColumns()->getCount();
    const sal_Int32 rows = grid->getRows()->getCount();
    std::string text;
    for (sal_Int32 row = 0; row < rows; ++row) {
        std::string line;
        for (sal_Int32 column = 0; column < columns; ++column) {
            const Reference<css::text::XText> cell(cells->getCellByPosition(column, row),
                                                   UNO_QUERY);
            std::string cellText = cell.is() ? textOf(reading, shape, cell) : std::string();
            while (!cellText.empty() && cellText.back() == '\n') {
                cellText.pop_back();
            }
            line += (column > 0 ? "\t" : "") + cellText;
        }
        if (line.find_first_not_of('\t') != std::string::npos) {
            text += line + "\n";
        }
    }
    return text;
}

void readClickAction(SlideReading& reading, const Reference<css::drawing::XShape>& shape) {
    namespace presentation = css::presentation;
    const Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
    const auto action = propertyOr(properties, "OnClick", presentation::ClickAction_NONE);
    const std::string bookmark = toUtf8(propertyOr(properties, "Bookmark", OUString()));
    switch (action) {
    case presentation::ClickAction_DOCUMENT:
        addLink(reading, shape, bookmark);
        break;
    case presentation::ClickAction_BOOKMARK:
        addLink(reading, shape, bookmark.empty() || bookmark[0] == '#' ? bookmark : "#" + bookmark);
        break;
    case presentation::ClickAction_FIRSTPAGE:
        addJump(reading, shape, 1);
        break;
    case presentation::ClickAction_LASTPAGE:
        addJump(reading, shape, reading.slideCount);
        break;
    case presentation::ClickAction_NEXTPAGE:
        addJump(reading, shape, reading.number + 1);
        break;
    case presentation::ClickAction_PREVPAGE:
        addJump(reading, shape, reading.number - 1);
        break;
    default:
        break;
    }
}

void readShapes(SlideReading& reading, const Reference<css::container::XIndexAccess>& shapes);

void readShape(SlideReading& reading, const Reference<css::drawing::XShape>& shape) {
    if (!shape.is()) {
        return;
    }
    readClickAction(reading, shape);
    if (const Reference<css::drawing::XShapes> group(shape, UNO_QUERY); group.is()) {
        readShapes(reading, Reference<css::container::XIndexAccess>(group, UNO_QUERY));
        return;
    }
    if (isA(shape, "com.sun.star.drawing.GraphicObjectShape")) {
        const Reference<css::beans::XPropertySet> properties(shape, UNO_QUERY);
        OUString description = propertyOr(properties, "Description", OUString());
        if (description.isEmpty()) {
            description = propertyOr(properties, "Title", OUString());
        }
        if (!description.isEmpty()) {
            reading.slide.alt.push_back(toUtf8(description));
        }
    }
    std::string text;
    if (const Reference<css::table::XCellRange> table = tableOf(shape); table.is()) {
        text = tableText(reading, shape, table);
    } else if (const Reference<css::text::XText> body(shape, UNO_QUERY);
               body.is() && !isEmptyPlaceholder(shape)) {
        text = textOf(reading, shape, body);
    }
    if (text.empty()) {
        return;
    }
    if (reading.slide.title.empty() && isA(shape, "com.sun.star.presentation.TitleTextShape")) {
        reading.slide.title = text.substr(0, text.size() - 1);
    }
    if (reading.firstText.empty()) {
        reading.firstText = text.substr(0, text.find('\n'));
    }
    reading.slide.text += text;
}

void readShapes(SlideReading& reading, const Reference<css::container::XIndexAccess>& shapes) {
    for (sal_Int32 i = 0; shapes.is() && i < shapes->getCount(); ++i) {
        readShape(reading, Reference<css::drawing::XShape>(shapes->getByIndex(i), UNO_QUERY));
    }
}

std::string notesOf(const Reference<css::drawing::XDrawPage>& page) {
    const Reference<css::presentation::XPresentationPage> slide(page, UNO_QUERY);
    const Reference<css::drawing::XDrawPage> notes =
        slide.is() ? slide->getNotesPage() : Reference<css::drawing::XDrawPage>();
    std::string text;
    for (sal_Int32 i = 0; notes.is() && i < notes->getCount(); ++i) {
        const Reference<css::drawing::XShape> shape(notes->getByIndex(i), UNO_QUERY);
        const Reference<css::text::XText> body(shape, UNO_QUERY);
        // Every text of the notes page but the slide's picture on it.
        if (body.is() && !isA(shape, "com.sun.star.drawing.PageShape") &&
            !isEmptyPlaceholder(shape)) {
            text += toUtf8(body->getString()) + "\n";
        }
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

SlideText slideText(const Reference<css::drawing::XDrawPage>& page,
                    const std::map<std::string, int>& slideNumbers, int number, int count) {
    SlideReading reading{slideNumbers, number, count, 1, 1, {}, {}};
    const Reference<css::beans::XPropertySet> properties(page, UNO_QUERY);
    reading.width = std::max(1, propertyOr(properties, "Width", sal_Int32(1)));
    reading.height = std::max(1, propertyOr(properties, "Height", sal_Int32(1)));
    readShapes(reading, Reference<css::container::XIndexAccess>(page, UNO_QUERY));
    if (reading.slide.title.empty()) {
        reading.slide.title = reading.firstText;
    }
    if (!reading.slide.text.empty()) {
        reading.slide.text.pop_back(); // the last paragraph's line break
    }
    reading.slide.notes = notesOf(page);
    return reading.slide;
}

std::string languageTag(const css::lang::Locale& locale) {
    const std::string language = toUtf8(locale.Language);
    const std::string country = toUtf8(locale.Country);
    return language.empty() || country.empty() ? language : language + "-" + country;
}

void readProperties(const Reference<css::lang::XComponent>& document, DeckText& deck) {
    const Reference<css::document::XDocumentPropertiesSupplier> supplier(document, UNO_QUERY);
    if (!supplier.is()) {
        return;
    }
    const Reference<css::document::XDocumentProperties> properties =
        supplier->getDocumentProperties();
    deck.title = toUtf8(properties->getTitle());
    deck.author = toUtf8(properties->getAuthor());
    deck.language = languageTag(properties->getLanguage());
}

} // namespace

DeckText Presentation::text(std::string& error) const {
    DeckText deck;
    try {
        readProperties(impl_->document, deck);
        const Reference<css::container::XIndexAccess> pages = drawPagesOf(impl_->document);
        const sal_Int32 count = pages->getCount();
        std::vector<Reference<css::drawing::XDrawPage>> slides;
        std::map<std::string, int> slideNumbers;
        for (sal_Int32 i = 0; i < count; ++i) {
            slides.emplace_back(pages->getByIndex(i), UNO_QUERY);
            const Reference<css::container::XNamed> named(slides.back(), UNO_QUERY);
            if (named.is()) {
                slideNumbers.emplace(toUtf8(named->getName()), i + 1);
            }
        }
        for (sal_Int32 i = 0; i < count; ++i) {
            deck.slides.push_back(slides[i].is() ? slideText(slides[i], slideNumbers, i + 1, count)
                                                 : SlideText{});
        }
    } catch (...) {
        error = "cannot read the deck's words: " + describeCurrentException();
        deck = DeckText{};
    }
    return deck;
}

} // namespace office
