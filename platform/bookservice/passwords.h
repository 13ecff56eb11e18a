// Password hashes and session tokens, both from libsodium.
#pragma once

#include <string>

namespace bookservice {

// Must succeed once before anything else here is used.
bool startCrypto();

// A salted, deliberately slow hash (Argon2id) that carries its own parameters. Only a few hashes
// are computed at a time, so a burst of logins cannot take the memory each one needs all at once.
std::string hashPassword(const std::string& password);
bool passwordMatches(const std::string& hash, const std::string& password);

// A fresh random session token (hex) and the digest under which it is stored.
std::string newSessionToken();
std::string tokenDigest(const std::string& token);

} // namespace bookservice
