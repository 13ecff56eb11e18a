// The pieces of a manual page in groff's man format. Text goes in as the program prints it; the
// functions escape it, so a hyphen stays a hyphen and no line is taken for a request.
#pragma once

#include <string>
#include <vector>

namespace murano::roff {

// Text with backslashes and hyphens escaped and every line that starts like a request guarded.
// Line breaks stay; in filled text they are spaces.
std::string escaped(const std::string& text);

// The page's title line: name in capitals, section, the product with its version, and the
// manual the section belongs to (system administration for 8, user commands otherwise).
std::string header(const std::string& name, int section, const std::string& source);

// A section (.SH) or subsection (.SS) heading.
std::string section(const std::string& title);
std::string subsection(const std::string& title);

// A filled paragraph.
std::string paragraph(const std::string& text);

// Lines kept as they are, one output line each.
std::string verbatim(const std::string& lines);

// An option: its spellings in bold, separated by commas, its value's name in italics, then the
// body (already in roff, e.g. escaped text) indented below.
std::string option(const std::vector<std::string>& names, const std::string& valueName,
                   const std::string& body);

} // namespace murano::roff
