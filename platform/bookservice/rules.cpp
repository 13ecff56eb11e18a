#include "platform/bookservice/rules.h"

#include "platform/bookservice/form.h"

#include <algorithm>

namespace bookservice {

namespace {

constexpr std::size_t kLongestName = 60;
constexpr std::size_t kLongestEmail = 254;
constexpr std::size_t kShortestPassword = 8;
constexpr std::size_t kLongestPassword = 1024;
constexpr std::size_t kLongestBookName = 100;

bool hasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

std::string userNameProblem(const std::string& name) {
    if (name.empty()) {
        return "Please choose a user name.";
    }
    if (!isUtf8(name) || hasControlCharacter(name) || characterCount(name) > kLongestName) {
        return "A user name is at most " + std::to_string(kLongestName) +
               " characters of readable text.";
    }
    if (name.find_first_of("&=%+") != std::string::npos) {
        return "A user name cannot hold \"&\", \"=\", \"%\" or \"+\".";
    }
    if (isSpace(name.front()) || isSpace(name.back())) {
        return "A user name cannot begin or end with a space.";
    }
    return {};
}

std::string emailProblem(const std::string& email) {
    const std::size_t at = email.find('@');
    if (!isUtf8(email) || hasControlCharacter(email) || email.size() > kLongestEmail ||
        at == std::string::npos || at == 0 || at + 1 == email.size() ||
        email.find_first_of(" &") != std::string::npos) {
        return "Please give a valid e-mail address.";
    }
    return {};
}

std::string passwordProblem(const std::string& password) {
    if (!isUtf8(password) || characterCount(password) < kShortestPassword) {
        return "The password needs at least " + std::to_string(kShortestPassword) + " characters.";
    }
    if (password.size() > kLongestPassword) {
        return "The password is too long.";
    }
    return {};
}

bool isBookName(const std::string& name) {
    return !name.empty() && name.size() <= kLongestBookName &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-';
           });
}

} // namespace bookservice
