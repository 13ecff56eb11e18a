// What the service accepts as a user name, an e-mail address, a password and a book name. Each
// "problem" function answers with the reason a text is refused, or an empty text when it is fine.
#pragma once

#include <string>

namespace bookservice {

// The desktop client sends user names unescaped inside form bodies, so the characters that would
// change the meaning of such a body ("&", "=", "%", "+") cannot be part of a name.
std::string userNameProblem(const std::string& name);
// The login reply ends the address at the next "&", so an address cannot hold one.
std::string emailProblem(const std::string& email);
std::string passwordProblem(const std::string& password);

// A book name is a folder name and part of the book's address: letters A-Z and a-z, digits, "_"
// and "-" only, at most 100 of them.
bool isBookName(const std::string& name);

} // namespace bookservice
