#include "converter/outline_rtf.h"

#include <cstdint>

namespace {

// Decodes one UTF-8 sequence at `i`, advancing it; malformed bytes come out as U+FFFD.
std::uint32_t nextCodePoint(const std::string& text, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i++);
    int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0x80) {
        return lead;
    }
    if (more == 0) {
        return 0xFFFD;
    }
    std::uint32_t code = lead & (0x3F >> more);
    while (more-- > 0) {
        if (i >= text.size() || (byte(i) & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        code = (code << 6) | (byte(i++) & 0x3F);
    }
    return code;
}

void appendUnicodeEscape(std::string& rtf, std::uint32_t unit) {
    // RTF takes signed 16-bit numbers; "?" is what readers without Unicode show.
    rtf += "\\u" + std::to_string(static_cast<std::int16_t>(unit)) + "?";
}

std::string escaped(const std::string& text) {
    std::string rtf;
    for (std::size_t i = 0; i < text.size();) {
        const std::uint32_t code = nextCodePoint(text, i);
        if (code == '\\' || code == '{' || code == '}') {
            rtf += '\\';
            rtf += static_cast<char>(code);
        } else if (code == '\t') {
            rtf += "\\tab ";
        } else if (code == '\n' || code == '\r' || code == 0x0B) {
            rtf += "\\line ";
        } else if (code >= 0x20 && code < 0x80) {
            rtf += static_cast<char>(code);
        } else if (code >= 0x10000) {
            const std::uint32_t value = code - 0x10000;
            appendUnicodeEscape(rtf, 0xD800 + (value >> 10));
            appendUnicodeEscape(rtf, 0xDC00 + (value & 0x3FF));
        } else if (code >= 0x80) {
            appendUnicodeEscape(rtf, code);
        }
    }
    return rtf;
}

} // namespace

std::string outlineRtf(const std::vector<office::SlideOutline>& slides) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0"
                      "{\\fonttbl{\\f0\\fswiss Arial;}}\r\n";
    for (const office::SlideOutline& slide : slides) {
        rtf += "{\\pard\\sb240\\sa120\\b\\fs36 " + escaped(slide.title) + "\\par}\r\n";
        for (const office::OutlineParagraph& paragraph : slide.body) {
            const int indent = 360 * (paragraph.level + 1);
            rtf += "{\\pard\\li" + std::to_string(indent) + "\\sa60\\fs24 " +
                   escaped(paragraph.text) + "\\par}\r\n";
        }
    }
    rtf += "}\r\n";
    return rtf;
}
