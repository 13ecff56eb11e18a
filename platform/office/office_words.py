# The words of a loaded deck, read inside the office process in one call from the converter (each
# call the converter makes itself is a round trip over its pipe, and a deck's words take hundreds).
# It reads what office_text.cpp reads, in the same order and by the same rules, and returns it as
# nested tuples: (title, author, language, slides), each slide (title, text, notes, pictures'
# descriptions, links), each link (url, slide, x, y, w, h). Any failure raises, and the converter
# then reads the words itself.
import uno

_TEXT = uno.getTypeByName("com.sun.star.text.XText")
_CELLS = uno.getTypeByName("com.sun.star.table.XCellRange")
_ROWS_AND_COLUMNS = uno.getTypeByName("com.sun.star.table.XColumnRowRange")
_PARAGRAPHS = uno.getTypeByName("com.sun.star.container.XEnumerationAccess")


def _query(thing, interface):
    return thing.queryInterface(interface) if thing is not None else None


def _property(thing, name, fallback):
    """A property the object does not have, or cannot give, counts as unset."""
    try:
        value = thing.getPropertyValue(name)
    except Exception:
        return fallback
    return fallback if value is None else value


class _Slide:
    def __init__(self, deck, number):
        self.deck = deck
        self.number = number
        self.title = ""
        self.text = ""
        self.alt = []
        self.links = []
        self.first_text = ""


class _Deck:
    def __init__(self, slides, width, height):
        self.slides = slides
        self.width = float(width)
        self.height = float(height)
        self._numbers = None

    def slide_numbers(self):
        if self._numbers is None:
            self._numbers = {}
            for index, slide in enumerate(self.slides):
                self._numbers.setdefault(slide.getName(), index + 1)
        return self._numbers


def _slide_named(reading, name):
    """The number of the slide a jump names, by the deck's slide names, else by the number the
    name ends in; 0 when it names none."""
    if name.startswith("#"):
        name = name[1:]
    numbers = reading.deck.slide_numbers()
    if name in numbers:
        return numbers[name]
    digits = len(name)
    while digits > 0 and name[digits - 1] in "0123456789":
        digits -= 1
    if digits == len(name) or len(name) - digits > 6:
        return 0
    number = int(name[digits:])
    return number if 1 <= number <= len(reading.deck.slides) else 0


def _place_link(reading, shape, url, slide):
    position, size = shape.getPosition(), shape.getSize()
    deck = reading.deck
    reading.links.append((url, slide, position.X / deck.width, position.Y / deck.height,
                          size.Width / deck.width, size.Height / deck.height))


def _add_jump(reading, shape, slide):
    if 1 <= slide <= len(reading.deck.slides):
        _place_link(reading, shape, "", slide)


def _add_link(reading, shape, target):
    if not target:
        return
    if target.startswith("#"):
        _add_jump(reading, shape, _slide_named(reading, target))
    else:
        _place_link(reading, shape, target, 0)


def _read_fields(reading, shape, paragraph):
    if paragraph is None:
        return
    portions = paragraph.createEnumeration()
    while portions.hasMoreElements():
        portion = portions.nextElement()
        if _property(portion, "TextPortionType", "") != "TextField":
            continue
        field = _property(portion, "TextField", None)
        _add_link(reading, shape, _property(field, "URL", "") if field is not None else "")


def _text_of(reading, shape, text):
    """The paragraphs of a text, each followed by a line break; its fields' links go to shape."""
    if text is None:
        return ""
    paragraphs = text.getString().rstrip("\n")
    if not paragraphs:
        return ""
    access = _query(text, _PARAGRAPHS)
    items = access.createEnumeration() if access is not None else None
    while items is not None and items.hasMoreElements():
        _read_fields(reading, shape, _query(items.nextElement(), _PARAGRAPHS))
    return paragraphs + "\n"


def _table_of(shape, services):
    if "com.sun.star.drawing.Text" in services or \
            "com.sun.star.drawing.GraphicObjectShape" in services:
        return None
    return _query(_property(shape, "Model", None), _CELLS)


def _table_text(reading, shape, cells):
    grid = _query(cells, _ROWS_AND_COLUMNS)
    if grid is None:
        return ""
    columns, rows = grid.getColumns().getCount(), grid.getRows().getCount()
    text = ""
    for row in range(rows):
        line = "\t".join(
            _text_of(reading, shape, _query(cells.getCellByPosition(column, row), _TEXT))
            .rstrip("\n") for column in range(columns))
        if line.strip("\t"):
            text += line + "\n"
    return text


def _read_click_action(reading, shape):
    action = _property(shape, "OnClick", None)
    action = action.value if action is not None else "NONE"
    if action in ("DOCUMENT", "BOOKMARK"):
        bookmark = _property(shape, "Bookmark", "")
        if action == "BOOKMARK" and bookmark and not bookmark.startswith("#"):
            bookmark = "#" + bookmark
        _add_link(reading, shape, bookmark)
    elif action == "FIRSTPAGE":
        _add_jump(reading, shape, 1)
    elif action == "LASTPAGE":
        _add_jump(reading, shape, len(reading.deck.slides))
    elif action == "NEXTPAGE":
        _add_jump(reading, shape, reading.number + 1)
    elif action == "PREVPAGE":
        _add_jump(reading, shape, reading.number - 1)


def _read_shape(reading, shape):
    if shape is None:
        return
    services = set(shape.getSupportedServiceNames())
    _read_click_action(reading, shape)
    if "com.sun.star.drawing.GroupShape" in services:
        _read_shapes(reading, shape)
        return
    if "com.sun.star.drawing.GraphicObjectShape" in services:
        description = _property(shape, "Description", "") or _property(shape, "Title", "")
        if description:
            reading.alt.append(description)
    text = ""
    table = _table_of(shape, services)
    if table is not None:
        text = _table_text(reading, shape, table)
    elif "com.sun.star.drawing.Text" in services:
        text = _text_of(reading, shape, _query(shape, _TEXT))
    if not text:
        return
    if not reading.title and "com.sun.star.presentation.TitleTextShape" in services:
        reading.title = text[:-1]
    if not reading.first_text:
        reading.first_text = text[:text.find("\n")]
    reading.text += text


def _read_shapes(reading, shapes):
    for index in range(shapes.getCount()):
        _read_shape(reading, shapes.getByIndex(index))


def _notes_of(page):
    notes = page.getNotesPage()
    text = ""
    for index in range(notes.getCount() if notes is not None else 0):
        # Every text of the notes page; an empty placeholder's text is empty.
        body = _query(notes.getByIndex(index), _TEXT)
        if body is not None:
            text += body.getString() + "\n"
    return text.rstrip("\n")


def _slide_text(deck, number):
    page = deck.slides[number - 1]
    reading = _Slide(deck, number)
    _read_shapes(reading, page)
    title = reading.title or reading.first_text
    return (title, reading.text[:-1], _notes_of(page), tuple(reading.alt), tuple(reading.links))


def _language_tag(locale):
    if not locale.Language or not locale.Country:
        return locale.Language
    return locale.Language + "-" + locale.Country


def deck_words(document, width, height):
    properties = document.getDocumentProperties()
    pages = document.getDrawPages()
    deck = _Deck([pages.getByIndex(index) for index in range(pages.getCount())], width, height)
    slides = tuple(_slide_text(deck, number) for number in range(1, len(deck.slides) + 1))
    return (properties.Title, properties.Author, _language_tag(properties.Language), slides)


g_exportedScripts = (deck_words,)
