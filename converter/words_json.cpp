#include "converter/words_json.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

const char* const kReplacement = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 sequence at `i` (overlong forms, surrogates and code points
// past U+10FFFF are not), or 0.
std::size_t sequenceLength(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t at) {
        return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u;
    };
    const unsigned lead = byte(i);
    const auto trail = [&](std::size_t at, unsigned low, unsigned high) {
        return byte(at) >= low && byte(at) <= high;
    };
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return trail(i + 1, 0x80, 0xBF) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF; // ED A0..BF would be a surrogate
        return trail(i + 1, low, high) && trail(i + 2, 0x80, 0xBF) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return trail(i + 1, low, high) && trail(i + 2, 0x80, 0xBF) && trail(i + 3, 0x80, 0xBF) ? 4
                                                                                               : 0;
    }
    return 0;
}

void appendEscaped(std::string& json, unsigned char c) {
    switch (c) {
    case '"':
        json += "\\\"";
        return;
    case '\\':
        json += "\\\\";
        return;
    case '\n':
        json += "\\n";
        return;
    case '\t':
        json += "\\t";
        return;
    default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", c);
        json += escape;
        return;
    }
    json += static_cast<char>(c);
}

std::string jsonNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", std::isfinite(value) ? value : 0.0);
    return text;
}

std::string member(const char* name, const std::string& value) {
    return std::string("\"") + name + "\":" + value;
}

std::string linkJson(const office::SlideLink& link) {
    std::string json = "{" + member("x", jsonNumber(link.x)) + "," +
                       member("y", jsonNumber(link.y)) + "," + member("w", jsonNumber(link.w)) +
                       "," + member("h", jsonNumber(link.h)) + ",";
    json += link.url.empty() ? member("slide", std::to_string(link.slide))
                             : member("url", jsonString(link.url));
    return json + "}";
}

std::string slideJson(const office::SlideText& slide, int number) {
    std::string alt;
    for (const std::string& description : slide.alt) {
        alt += (alt.empty() ? "" : ",") + jsonString(description);
    }
    std::string links;
    for (const office::SlideLink& link : slide.links) {
        links += (links.empty() ? "" : ",") + linkJson(link);
    }
    return "{" + member("number", std::to_string(number)) + "," +
           member("title", jsonString(slide.title)) + "," + member("text", jsonString(slide.text)) +
           "," + member("notes", jsonString(slide.notes)) + "," + member("alt", "[" + alt + "]") +
           "," + member("links", "[" + links + "]") + "}";
}

} // namespace

std::string jsonString(const std::string& text) {
    std::string json = "\"";
    json.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            json += kReplacement;
            ++i;
        } else if (length == 1) {
            appendEscaped(json, static_cast<unsigned char>(text[i++]));
        } else {
            json.append(text, i, length);
            i += length;
        }
    }
    return json + "\"";
}

std::string wordsJson(const office::DeckText& deck) {
    std::string slides;
    for (std::size_t i = 0; i < deck.slides.size(); ++i) {
        slides += (i == 0 ? "" : ",\n") + slideJson(deck.slides[i], static_cast<int>(i + 1));
    }
    return "{" + member("version", "1") + "," + member("title", jsonString(deck.title)) + "," +
           member("author", jsonString(deck.author)) + "," +
           member("language", jsonString(deck.language)) + "," +
           member("slides", "[\n" + slides + "]") + "}\n";
}
