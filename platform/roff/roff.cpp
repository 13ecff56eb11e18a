#include "platform/roff/roff.h"

#include <cctype>

namespace murano::roff {

std::string escaped(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\'')) {
            out += "\\&";
        }
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
        lineStart = c == '\n';
    }
    return out;
}

std::string header(const std::string& name, int section, const std::string& source) {
    std::string upper;
    for (const char c : name) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return ".TH " + upper + " " + std::to_string(section) + " \"\" \"" + escaped(source) + "\" \"" +
           (section == 8 ? "System Administration" : "User Commands") + "\"\n";
}

std::string section(const std::string& title) {
    return ".SH \"" + escaped(title) + "\"\n";
}

std::string subsection(const std::string& title) {
    return ".SS \"" + escaped(title) + "\"\n";
}

std::string paragraph(const std::string& text) {
    return ".PP\n" + escaped(text) + "\n";
}

std::string verbatim(const std::string& lines) {
    return ".nf\n" + escaped(lines) + "\n.fi\n";
}

std::string option(const std::vector<std::string>& names, const std::string& valueName,
                   const std::string& body) {
    std::string term;
    for (const std::string& name : names) {
        term += (term.empty() ? "\\fB" : ", \\fB") + escaped(name) + "\\fR";
    }
    if (!valueName.empty()) {
        term += " \\fI" + escaped(valueName) + "\\fR";
    }
    return ".TP\n" + term + "\n" + body + "\n";
}

} // namespace murano::roff
