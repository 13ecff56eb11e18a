// Accounts as the requests see them: registering, logging in, and the session that follows a login.
#pragma once

#include "platform/bookservice/storage.h"

#include <optional>
#include <string>

namespace bookservice {

// How long a session lasts after its login.
constexpr std::int64_t kSessionSeconds = 30 * 24 * 60 * 60;

enum class Registration { Created, Refused, NameTaken, Failed };

// Creates an account after checking every field; `problem` says why when it is not Created.
Registration registerAccount(AccountStore& accounts, const std::string& name,
                             const std::string& email, const std::string& password,
                             std::string& problem);

enum class LoginResult { Success, UnknownName, WrongPassword };

struct Login {
    LoginResult result = LoginResult::UnknownName;
    Account account; // the account logged into, on success
};

// Checks a name and password as a client sent them (UTF-8, or GBK from the desktop client).
Login checkLogin(AccountStore& accounts, const std::string& name, const std::string& password);

// Opens a session for the account; the token for the client's cookie.
std::string startSession(AccountStore& accounts, std::int64_t accountId);
// Ends the session of a token, on every node.
void endSession(AccountStore& accounts, const std::string& token);
// The account of a live session token.
std::optional<Account> sessionOwner(AccountStore& accounts, const std::string& token);

// Whether `sent`, a text the desktop client put unescaped into a form body and the service decoded,
// stands for the stored text `stored` (UTF-8): "+" arrives as a space and bytes may be GBK.
bool sameClientText(const std::string& sent, const std::string& stored);

} // namespace bookservice
