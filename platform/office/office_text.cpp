// The words of a loaded deck: every slide's text in shape order (groups and tables included),
// its title, speaker notes, picture descriptions and links, and the deck's document properties.
#include "platform/office/office_process.h"
#include "platform/office/office_uno.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/presentation/ClickAction.hpp>
#include <com/sun/star/presentation/XPresentationPage.hpp>
#include <com/sun/star/script/provider/XScript.hpp>
#include <com/sun/star/script/provider/XScriptProvider.hpp>
#include <com/sun/star/script/provider/theMasterScriptProviderFactory.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <vector>

namespace office {
namespace {

using namespace detail;
using css::uno::Reference;
using css::uno::UNO_QUERY;

// Every call below is a round trip to the office process, which the words pay for slide by slide:
// each shape's services are asked for once, properties are read without asking whether they
// exist, and what a shape cannot have is not asked for.

// The deck's slides, their size and, once a jump names a slide, their names.
struct DeckReading {
    std::vector<Reference<css::drawing::XDrawPage>> slides;
    double width = 1, height = 1; // hundredths of a millimetre, the same for every slide
    std::optional<std::map<std::string, int>> numbers; // slide name -> number, from 1

    const std::map<std::string, int>& slideNumbers() {
        if (!numbers) {
            numbers.emplace();
            for (std::size_t i = 0; i < slides.size(); ++i) {
                const Reference<css::container::XNamed> named(slides[i], UNO_QUERY);
                if (named.is()) {
                    numbers->emplace(toUtf8(named->getName()), static_cast<int>(i + 1));
                }
            }
        }
        return *numbers;
    }
};

// Where a slide's shapes are read: the deck, the slide's own number, and what has been read so
// far.
struct SlideReading {
    DeckReading& deck;
    int number = 0;
    SlideText slide;
    std::string firstText;

    int slideCount() const { return static_cast<int>(deck.slides.size()); }
};

template <typename T>
T propertyOr(const Reference<css::beans::XPropertySet>& properties, const char* name, T fallback) {
    try {
        if (properties.is()) {
            properties->getPropertyValue(OUString::createFromAscii(name)) >>= fallback;
        }
    } catch (const css::uno::Exception&) {
        // A property the object does not have, or cannot give, counts as unset.
    }
    return fallback;
}

// A shape with the services it supports, asked for once.
struct Shape {
    Reference<css::drawing::XShape> shape;
    Reference<css::beans::XPropertySet> properties;
    css::uno::Sequence<OUString> services;

    explicit Shape(const Reference<css::drawing::XShape>& s) : shape(s), properties(s, UNO_QUERY) {
        const Reference<css::lang::XServiceInfo> info(s, UNO_QUERY);
        if (info.is()) {
            services = info->getSupportedServiceNames();
        }
    }
    bool isA(const char* service) const {
        for (const OUString& name : services) {
            if (name.equalsAscii(service)) {
                return true;
            }
        }
        return false;
    }
};

// The number of the slide a jump names: "#Slide 3" or "Slide 3", by the deck's slide names, else
// by the number the name ends in. 0 when it names none.
int slideNamed(const SlideReading& reading, std::string name) {
    if (!name.empty() && name[0] == '#') {
        name.erase(0, 1);
    }
    const std::map<std::string, int>& numbers = reading.deck.slideNumbers();
    if (const auto found = numbers.find(name); found != numbers.end()) {
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
    return number >= 1 && number <= reading.slideCount() ? number : 0;
}

// Puts a link over the whole shape.
void placeLink(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
               SlideLink link) {
    const css::awt::Point position = shape->getPosition();
    const css::awt::Size size = shape->getSize();
    link.x = position.X / reading.deck.width;
    link.y = position.Y / reading.deck.height;
    link.w = size.Width / reading.deck.width;
    link.h = size.Height / reading.deck.height;
    reading.slide.links.push_back(std::move(link));
}

void addJump(SlideReading& reading, const Reference<css::drawing::XShape>& shape, int slide) {
    if (slide >= 1 && slide <= reading.slideCount()) {
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

// The paragraphs of a text, each followed by a line break; its fields' links go to `shape`.
std::string textOf(SlideReading& reading, const Reference<css::drawing::XShape>& shape,
                   const Reference<css::text::XText>& text) {
    if (!text.is()) {
        return {};
    }
    std::string paragraphs = toUtf8(text->getString());
    while (!paragraphs.empty() && paragraphs.back() == '\n') {
        paragraphs.pop_back();
    }
    if (paragraphs.empty()) {
        return paragraphs;
    }
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY);
    const Reference<css::container::XEnumeration> items =
        access.is() ? access->createEnumeration() : Reference<css::container::XEnumeration>();
    while (items.is() && items->hasMoreElements()) {
        readFields(reading, shape,
                   Reference<css::container::XEnumerationAccess>(items->nextElement(), UNO_QUERY));
    }
    return paragraphs + "\n";
}

// The cells of a table shape (a shape without text of its own whose model is a range of cells);
// empty for any other shape.
Reference<css::table::XCellRange> tableOf(const Shape& facts) {
    if (facts.isA("com.sun.star.drawing.Text") ||
        facts.isA("com.sun.star.drawing.GraphicObjectShape")) {
        return {};
    }
    return Reference<css::table::XCellRange>(
        propertyOr(facts.properties, "Model", Reference<css::uno::XInterface>()), UNO_QUERY);
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

void readClickAction(SlideReading& reading, const Shape& facts) {
    namespace presentation = css::presentation;
    const Reference<css::drawing::XShape>& shape = facts.shape;
    const auto action = propertyOr(facts.properties, "OnClick", presentation::ClickAction_NONE);
    const std::string bookmark =
        action == presentation::ClickAction_DOCUMENT || action == presentation::ClickAction_BOOKMARK
            ? toUtf8(propertyOr(facts.properties, "Bookmark", OUString()))
            : std::string();
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
        addJump(reading, shape, reading.slideCount());
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
    const Shape facts(shape);
    readClickAction(reading, facts);
    if (facts.isA("com.sun.star.drawing.GroupShape")) {
        readShapes(reading, Reference<css::container::XIndexAccess>(shape, UNO_QUERY));
        return;
    }
    if (facts.isA("com.sun.star.drawing.GraphicObjectShape")) {
        OUString description = propertyOr(facts.properties, "Description", OUString());
        if (description.isEmpty()) {
            description = propertyOr(facts.properties, "Title", OUString());
        }
        if (!description.isEmpty()) {
            reading.slide.alt.push_back(toUtf8(description));
        }
    }
    std::string text;
    if (const Reference<css::table::XCellRange> table = tableOf(facts); table.is()) {
        text = tableText(reading, shape, table);
    } else if (facts.isA("com.sun.star.drawing.Text")) {
        text = textOf(reading, shape, Reference<css::text::XText>(shape, UNO_QUERY));
    }
    if (text.empty()) {
        return;
    }
    if (reading.slide.title.empty() && facts.isA("com.sun.star.presentation.TitleTextShape")) {
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
        // Every text of the notes page (the slide's picture on it has none). An empty
        // placeholder's text is empty: only its prompt is drawn.
        const Reference<css::text::XText> body(notes->getByIndex(i), UNO_QUERY);
        if (body.is()) {
            text += toUtf8(body->getString()) + "\n";
        }
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

SlideText slideText(DeckReading& deck, int number) {
    const Reference<css::drawing::XDrawPage>& page = deck.slides[number - 1];
    SlideReading reading{deck, number, {}, {}};
    if (!page.is()) {
        return reading.slide;
    }
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

DeckText textReadHere(const Reference<css::lang::XComponent>& document, const SlideSize& size) {
    DeckText deck;
    readProperties(document, deck);
    const Reference<css::container::XIndexAccess> pages = drawPagesOf(document);
    DeckReading reading;
    reading.width = size.width;
    reading.height = size.height;
    for (sal_Int32 i = 0, count = pages->getCount(); i < count; ++i) {
        reading.slides.emplace_back(pages->getByIndex(i), UNO_QUERY);
    }
    for (std::size_t i = 0; i < reading.slides.size(); ++i) {
        deck.slides.push_back(slideText(reading, static_cast<int>(i + 1)));
    }
    return deck;
}

// The words script's answer, taken apart; a part of another shape than the script gives throws.
template <typename T> T part(const css::uno::Any& value) {
    T extracted{};
    if (!(value >>= extracted)) {
        throw css::uno::RuntimeException("the words script's answer has an unexpected shape");
    }
    return extracted;
}

using Parts = css::uno::Sequence<css::uno::Any>;

std::string utf8Part(const css::uno::Any& value) {
    return toUtf8(part<OUString>(value));
}

SlideLink linkFrom(const Parts& parts) {
    SlideLink link;
    link.url = utf8Part(parts[0]);
    link.slide = part<sal_Int32>(parts[1]);
    link.x = part<double>(parts[2]);
    link.y = part<double>(parts[3]);
    link.w = part<double>(parts[4]);
    link.h = part<double>(parts[5]);
    return link;
}

SlideText slideFrom(const Parts& parts) {
    SlideText slide;
    slide.title = utf8Part(parts[0]);
    slide.text = utf8Part(parts[1]);
    slide.notes = utf8Part(parts[2]);
    for (const css::uno::Any& alt : part<Parts>(parts[3])) {
        slide.alt.push_back(utf8Part(alt));
    }
    for (const css::uno::Any& link : part<Parts>(parts[4])) {
        const Parts linkParts = part<Parts>(link);
        if (linkParts.getLength() != 6) {
            throw css::uno::RuntimeException("a link of the words script has no place");
        }
        slide.links.push_back(linkFrom(linkParts));
    }
    return slide;
}

DeckText deckFrom(const css::uno::Any& answer) {
    const Parts parts = part<Parts>(answer);
    if (parts.getLength() != 4) {
        throw css::uno::RuntimeException("the words script's answer is incomplete");
    }
    DeckText deck;
    deck.title = utf8Part(parts[0]);
    deck.author = utf8Part(parts[1]);
    deck.language = utf8Part(parts[2]);
    for (const css::uno::Any& slide : part<Parts>(parts[3])) {
        const Parts slideParts = part<Parts>(slide);
        if (slideParts.getLength() != 5) {
            throw css::uno::RuntimeException("a slide of the words script is incomplete");
        }
        deck.slides.push_back(slideFrom(slideParts));
    }
    return deck;
}

// The same words read inside the office process by the profile's words script, in one call;
// empty when the script cannot run there (no Python script provider, a profile without the
// script, an instance started elsewhere) or fails.
std::optional<DeckText> textReadByScript(const Presentation::Impl& impl, const SlideSize& size) {
    namespace provider = css::script::provider;
    try {
        const Reference<provider::XScriptProvider> scripts =
            provider::theMasterScriptProviderFactory::get(impl.context)
                ->createScriptProvider(css::uno::Any(OUString()));
        const Reference<provider::XScript> script = scripts->getScript(
            "vnd.sun.star.script:" + OUString::createFromAscii(kWordsScriptModule) + "$" +
            OUString::createFromAscii(kWordsScriptFunction) + "?language=Python&location=user");
        const css::uno::Any values[] = {css::uno::Any(impl.document), css::uno::Any(size.width),
                                        css::uno::Any(size.height)};
        const Parts arguments(values, 3);
        css::uno::Sequence<sal_Int16> outIndices;
        Parts outValues;
        return deckFrom(script->invoke(arguments, outIndices, outValues));
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace

DeckText Presentation::text(std::string& error) const {
    try {
        SlideSize size = slideSize();
        size.width = std::max(1, size.width); // hundredths of a millimetre, never divided by 0
        size.height = std::max(1, size.height);
        if (std::optional<DeckText> deck = textReadByScript(*impl_, size)) {
            return std::move(*deck);
        }
        return textReadHere(impl_->document, size);
    } catch (...) {
        error = "cannot read the deck's words: " + describeCurrentException();
    }
    return {};
}

} // namespace office
