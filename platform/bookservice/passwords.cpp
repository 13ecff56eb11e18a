#include "platform/bookservice/passwords.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <sched.h>
#include <sodium.h>
#include <vector>

namespace bookservice {

namespace {

// Argon2id with two passes over 19 MiB: the strength commonly advised for interactive logins, at a
// memory cost that keeps the whole server small.
constexpr unsigned long long kPasses = 2;
constexpr std::size_t kMemoryBytes = 19u * 1024u * 1024u;
// As many hashes at once as there are cores this process may run on now (a node held to one core
// by its CPU affinity runs one at a time rather than two taking turns), up to three: each holds its
// 19 MiB while it runs, and three keep a node under 100 MB resident under any burst of logins.
int hashesAtOnce() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    const int usable = ::sched_getaffinity(0, sizeof cores, &cores) == 0 ? CPU_COUNT(&cores) : 1;
    return std::clamp(usable, 1, 3);
}

// Lets at most hashesAtOnce() hash computations run together.
class HashGate {
public:
    void enter() {
        const int most = hashesAtOnce();
        std::unique_lock<std::mutex> lock(mutex_);
        free_.wait(lock, [&] { return running_ < most; });
        ++running_;
    }
    void leave() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --running_;
        }
        free_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable free_;
    int running_ = 0;
};

HashGate& hashGate() {
    static HashGate gate;
    return gate;
}

class GatePass {
public:
    GatePass() { hashGate().enter(); }
    ~GatePass() { hashGate().leave(); }
    GatePass(const GatePass&) = delete;
    GatePass& operator=(const GatePass&) = delete;
};

std::string hex(const unsigned char* bytes, std::size_t count) {
    std::vector<char> text(count * 2 + 1);
    sodium_bin2hex(text.data(), text.size(), bytes, count);
    return std::string(text.data(), count * 2);
}

} // namespace

bool startCrypto() {
    return sodium_init() >= 0;
}

std::string hashPassword(const std::string& password) {
    char hash[crypto_pwhash_STRBYTES];
    GatePass pass;
    if (crypto_pwhash_str_alg(hash, password.data(), password.size(), kPasses, kMemoryBytes,
                              crypto_pwhash_ALG_ARGON2ID13) != 0) {
        return {};
    }
    return hash;
}

bool passwordMatches(const std::string& hash, const std::string& password) {
    GatePass pass;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

std::string newSessionToken() {
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    return hex(bytes, sizeof bytes);
}

std::string tokenDigest(const std::string& token) {
    unsigned char digest[crypto_generichash_BYTES];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return hex(digest, sizeof digest);
}

} // namespace bookservice
