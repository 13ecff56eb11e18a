// Request texts as the desktop client and browsers send them: URL-encoded form bodies, and text
// that is UTF-8 from browsers but may be in the client's 8-bit codec (GBK) from the desktop.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace bookservice {

// Pairs of an application/x-www-form-urlencoded body: split at "&", each pair at its first "=",
// "+" read as a space and "%XX" as a byte. The first of repeated names wins.
std::map<std::string, std::string> parseForm(std::string_view body);
std::string formDecode(std::string_view text);

bool isUtf8(std::string_view text);
std::size_t characterCount(std::string_view utf8);

// The UTF-8 texts the sender may have meant by these bytes: the bytes themselves when they are
// UTF-8, then their reading as GBK when that differs. Lookups try them in order.
std::vector<std::string> clientTextReadings(const std::string& bytes);

std::string htmlEscape(std::string_view text);

} // namespace bookservice
