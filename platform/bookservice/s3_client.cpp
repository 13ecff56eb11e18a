#include "platform/bookservice/s3_client.h"

#include "platform/posix/posix_files.h"

#include <cstdio>
#include <curl/curl.h>
#include <map>
#include <memory>
#include <sodium.h>

namespace bookservice {

namespace {

const char* const kEmptySha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
constexpr std::size_t kHashPiece = 256 * 1024;

// S3's encoding of a key or query value: everything but unreserved characters as %XX; "/" kept
// in keys, where it separates the path's segments.
std::string uriEncode(const std::string& text, bool keepSlash) {
    return posix::percentEncoded(text, keepSlash ? "/" : "");
}

std::string xmlUnescape(std::string text) {
    static const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, character] : entities) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1)) {
            text.replace(at, std::string(entity).size(), character);
        }
    }
    return text;
}

// The texts of every <tag>...</tag> in `xml`, in order.
std::vector<std::string> elements(const std::string& xml, const std::string& tag) {
    std::vector<std::string> found;
    const std::string open = "<" + tag + ">";
    const std::string close = "</" + tag + ">";
    for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at)) {
        const std::size_t end = xml.find(close, at);
        if (end == std::string::npos) {
            break;
        }
        found.push_back(xmlUnescape(xml.substr(at + open.size(), end - at - open.size())));
        at = end;
    }
    return found;
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

// One handle per thread, kept so that its connections to the store stay open between requests.
CURL* threadHandle() {
    thread_local std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    curl_easy_reset(handle.get());
    return handle.get();
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

struct S3Client::Answer {
    long status = 0;
    std::string body;
    std::map<std::string, std::string> headers; // names in lower case
    CURLcode result = CURLE_OK;
    std::uint64_t streamed = 0; // bytes handed to a stream
};

namespace {

struct Transfer {
    S3Client::Answer* answer;
    CURL* curl;
    const std::function<bool(const char*, std::size_t)>* stream; // for successful GETs
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
    if (transfer->stream && (status == 200 || status == 206)) {
        transfer->answer->streamed += bytes;
        return (*transfer->stream)(data, bytes) ? bytes : 0;
    }
    if (transfer->answer->body.size() < (1 << 20)) {
        transfer->answer->body.append(data, bytes);
    }
    return bytes;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* answer = static_cast<S3Client::Answer*>(user);
    const std::string line(data, size * count);
    const std::size_t colon = line.find(':');
    if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        for (char& c : name) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const std::size_t start = line.find_first_not_of(' ', colon + 1);
        const std::size_t end = line.find_last_not_of("\r\n ");
        answer->headers[name] =
            start == std::string::npos || end < start ? "" : line.substr(start, end - start + 1);
    }
    return size * count;
}

} // namespace

struct S3Client::Preparation {
    Transfer* transfer;
    curl_slist** headers;
};

S3Client::S3Client(S3Settings settings) : settings_(std::move(settings)) {
    while (!settings_.endpoint.empty() && settings_.endpoint.back() == '/') {
        settings_.endpoint.pop_back();
    }
}

S3Client::Answer S3Client::request(const std::string& method, const std::string& key,
                                   const std::string& query,
                                   const std::function<void(Preparation&)>& prepare) {
    // Every request here may run twice with the same effect. A kept connection the store closed
    // (it restarted, or timed it out) fails at once: such a failure is tried once more, on a new
    // connection, unless part of a streamed answer has gone out already.
    for (int attempt = 0;; ++attempt) {
        Answer answer = attemptRequest(method, key, query, prepare);
        if (answer.result == CURLE_OK ||
            (answer.result == CURLE_WRITE_ERROR && answer.streamed > 0)) {
            return checked(std::move(answer));
        }
        if (attempt == 1 || answer.streamed > 0) {
            throw StoreUnavailable(std::string("the object store cannot be reached: ") +
                                   curl_easy_strerror(answer.result));
        }
    }
}

S3Client::Answer S3Client::checked(Answer answer) {
    if (answer.status >= 500 || answer.status == 401 || answer.status == 403) {
        const auto code = elements(answer.body, "Code");
        throw StoreUnavailable("the object store answered " + std::to_string(answer.status) +
                               (code.empty() ? "" : " " + code[0]));
    }
    return answer;
}

S3Client::Answer S3Client::attemptRequest(const std::string& method, const std::string& key,
                                          const std::string& query,
                                          const std::function<void(Preparation&)>& prepare) {
    Answer answer;
    CURL* curl = threadHandle();
    const std::string url = settings_.endpoint + "/" + settings_.bucket +
                            (key.empty() ? "" : "/" + uriEncode(key, true)) +
                            (query.empty() ? "" : "?" + query);
    const std::string signing = "aws:amz:" + settings_.region + ":s3";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_AWS_SIGV4, signing.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, settings_.accessKey.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, settings_.secretKey.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 5L);
    // A store that stops sending for half a minute counts as gone.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answer);
    Transfer transfer{&answer, curl, nullptr};
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    if (method == "HEAD") {
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    } else if (method != "GET" && method != "PUT") {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    // Every header given here is signed, so none may be one that curl removes or rewrites.
    curl_slist* headers = nullptr;
    Preparation preparation{&transfer, &headers};
    prepare(preparation);
    bool hashed = false;
    for (curl_slist* h = headers; h; h = h->next) {
        hashed = hashed || std::string(h->data).rfind("x-amz-content-sha256:", 0) == 0;
    }
    if (!hashed) {
        headers = curl_slist_append(headers,
                                    (std::string("x-amz-content-sha256: ") + kEmptySha256).c_str());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    answer.result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    curl_slist_free_all(headers);
    return answer;
}

bool S3Client::createBucket() {
    const Answer answer = request("PUT", "", "", [](Preparation& context) {
        CURL* curl = context.transfer->curl;
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(0));
        curl_easy_setopt(
            curl, CURLOPT_READFUNCTION,
            +[](char*, std::size_t, std::size_t, void*) -> std::size_t { return 0; });
    });
    return answer.status == 200 ||
           (answer.status == 409 && !elements(answer.body, "Code").empty() &&
            elements(answer.body, "Code")[0] == "BucketAlreadyOwnedByYou");
}

void S3Client::putFile(const std::string& key, const std::filesystem::path& file) {
    const std::string sha256 = fileSha256(file);
    std::unique_ptr<std::FILE, FileCloser> input(std::fopen(file.c_str(), "rb"));
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (sha256.empty() || !input || error) {
        throw StoreUnavailable("cannot read " + file.string());
    }
    const Answer answer = request("PUT", key, "", [&](Preparation& context) {
        std::rewind(input.get());
        CURL* curl = context.transfer->curl;
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READDATA, input.get());
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
        *context.headers =
            curl_slist_append(*context.headers, ("x-amz-content-sha256: " + sha256).c_str());
    });
    if (answer.status != 200) {
        throw StoreUnavailable("the object store refused " + key + " (" +
                               std::to_string(answer.status) + ")");
    }
}

std::optional<S3Object> S3Client::head(const std::string& key) {
    const Answer answer = request("HEAD", key, "", [](Preparation&) {});
    if (answer.status == 404) {
        return std::nullopt;
    }
    if (answer.status != 200) {
        throw StoreUnavailable("the object store answered " + std::to_string(answer.status));
    }
    S3Object object;
    const auto value = [&](const char* name) {
        const auto found = answer.headers.find(name);
        return found == answer.headers.end() ? std::string() : found->second;
    };
    object.size = std::strtoull(value("content-length").c_str(), nullptr, 10);
    object.etag = value("etag");
    object.modified =
        static_cast<std::int64_t>(curl_getdate(value("last-modified").c_str(), nullptr));
    return object;
}

bool S3Client::get(const std::string& key, std::uint64_t offset, std::uint64_t length,
                   const std::function<bool(const char*, std::size_t)>& write) {
    if (length == 0) {
        return true;
    }
    const std::string range =
        "Range: bytes=" + std::to_string(offset) + "-" + std::to_string(offset + length - 1);
    const Answer answer = request("GET", key, "", [&](Preparation& context) {
        context.transfer->stream = &write;
        *context.headers = curl_slist_append(*context.headers, range.c_str());
    });
    return answer.result == CURLE_OK && (answer.status == 200 || answer.status == 206);
}

std::vector<std::string> S3Client::list(const std::string& prefix) {
    std::vector<std::string> keys;
    std::string token;
    for (;;) {
        // Parameters in the order the signature's canonical form sorts them.
        const std::string query =
            (token.empty() ? "" : "continuation-token=" + uriEncode(token, false) + "&") +
            "list-type=2&prefix=" + uriEncode(prefix, false);
        const Answer answer = request("GET", "", query, [](Preparation&) {});
        if (answer.status != 200) {
            throw StoreUnavailable("the object store cannot list " + prefix);
        }
        for (std::string& key : elements(answer.body, "Key")) {
            keys.push_back(std::move(key));
        }
        const auto truncated = elements(answer.body, "IsTruncated");
        const auto next = elements(answer.body, "NextContinuationToken");
        if (truncated.empty() || truncated[0] != "true" || next.empty()) {
            return keys;
        }
        token = next[0];
    }
}

void S3Client::remove(const std::string& key) {
    const Answer answer = request("DELETE", key, "", [](Preparation&) {});
    if (answer.status != 204 && answer.status != 200 && answer.status != 404) {
        throw StoreUnavailable("the object store did not remove " + key);
    }
}

std::string fileSha256(const std::filesystem::path& file) {
    std::unique_ptr<std::FILE, FileCloser> input(std::fopen(file.c_str(), "rb"));
    if (!input) {
        return {};
    }
    crypto_hash_sha256_state state;
    crypto_hash_sha256_init(&state);
    std::vector<unsigned char> buffer(kHashPiece);
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), input.get())) > 0) {
        crypto_hash_sha256_update(&state, buffer.data(), got);
    }
    if (std::ferror(input.get())) {
        return {};
    }
    unsigned char digest[crypto_hash_sha256_BYTES];
    crypto_hash_sha256_final(&state, digest);
    char hex[2 * crypto_hash_sha256_BYTES + 1];
    sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
    return hex;
}

bool startS3Client() {
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

} // namespace bookservice
