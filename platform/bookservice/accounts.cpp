#include "platform/bookservice/accounts.h"

#include "platform/bookservice/form.h"
#include "platform/bookservice/passwords.h"
#include "platform/bookservice/rules.h"

#include <algorithm>
#include <chrono>

namespace bookservice {

namespace {

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

Registration registerAccount(AccountStore& accounts, const std::string& name,
                             const std::string& email, const std::string& password,
                             std::string& problem) {
    for (const std::string& found :
         {userNameProblem(name), emailProblem(email), passwordProblem(password)}) {
        if (!found.empty()) {
            problem = found;
            return Registration::Refused;
        }
    }
    const std::string hash = hashPassword(password);
    if (hash.empty()) {
        problem = "The password cannot be stored now; please try again later.";
        return Registration::Failed;
    }
    if (!accounts.addAccount(name, email, hash)) {
        problem = "The user name \"" + name + "\" is taken.";
        return Registration::NameTaken;
    }
    return Registration::Created;
}

Login checkLogin(AccountStore& accounts, const std::string& name, const std::string& password) {
    Login login;
    for (const std::string& reading : clientTextReadings(name)) {
        if (auto account = accounts.accountByName(reading)) {
            login.account = *account;
            login.result = LoginResult::WrongPassword;
            break;
        }
    }
    if (login.result == LoginResult::UnknownName) {
        return login;
    }
    const auto readings = clientTextReadings(password);
    const bool matches = std::any_of(readings.begin(), readings.end(), [&](const std::string& p) {
        return passwordMatches(login.account.passwordHash, p);
    });
    login.result = matches ? LoginResult::Success : LoginResult::WrongPassword;
    return login;
}

std::string startSession(AccountStore& accounts, std::int64_t accountId) {
    const std::string token = newSessionToken();
    accounts.addSession(tokenDigest(token), accountId, secondsNow() + kSessionSeconds);
    return token;
}

void endSession(AccountStore& accounts, const std::string& token) {
    if (!token.empty()) {
        accounts.removeSession(tokenDigest(token));
    }
}

std::optional<Account> sessionOwner(AccountStore& accounts, const std::string& token) {
    if (token.empty()) {
        return std::nullopt;
    }
    const auto id = accounts.sessionAccount(tokenDigest(token), secondsNow());
    return id ? accounts.accountById(*id) : std::nullopt;
}

bool sameClientText(const std::string& sent, const std::string& stored) {
    const std::string asDecoded = formDecode(stored);
    for (const std::string& reading : clientTextReadings(sent)) {
        if (reading == stored || reading == asDecoded) {
            return true;
        }
    }
    return false;
}

} // namespace bookservice
