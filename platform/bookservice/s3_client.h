// A client of any S3-compatible object store (path-style addresses, AWS Signature Version 4 as
// libcurl signs it). Every upload carries its SHA-256, which the store checks against what it
// received. A store that cannot be reached or answers with a fault throws StoreUnavailable.
#pragma once

#include "platform/bookservice/storage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bookservice {

struct S3Settings {
    std::string endpoint; // "http://127.0.0.1:8080", "https://s3.eu-central-1.amazonaws.com"
    std::string region = "us-east-1";
    std::string bucket;
    std::string accessKey;
    std::string secretKey;
};

struct S3Object {
    std::uint64_t size = 0;
    std::string etag;          // quoted, as the store gives it
    std::int64_t modified = 0; // seconds since 1970
};

class S3Client {
public:
    struct Answer;
    explicit S3Client(S3Settings settings);

    // Creates the bucket; true also when it exists and is ours.
    bool createBucket();
    void putFile(const std::string& key, const std::filesystem::path& file);
    std::optional<S3Object> head(const std::string& key);
    // Streams bytes [offset, offset + length) of the object to `write`; false when the transfer
    // broke off or `write` stopped.
    bool get(const std::string& key, std::uint64_t offset, std::uint64_t length,
             const std::function<bool(const char*, std::size_t)>& write);
    // Every key under `prefix`.
    std::vector<std::string> list(const std::string& prefix);
    void remove(const std::string& key);

private:
    struct Preparation;
    // Sends one signed request; `prepare` adds the body, headers or a stream for the answer.
    Answer request(const std::string& method, const std::string& key, const std::string& query,
                   const std::function<void(Preparation&)>& prepare);
    Answer attemptRequest(const std::string& method, const std::string& key,
                          const std::string& query,
                          const std::function<void(Preparation&)>& prepare);
    // The answer, or StoreUnavailable for a fault of the store or a refused signature.
    static Answer checked(Answer answer);

    S3Settings settings_;
};

// The SHA-256 of a file as lowercase hex; empty when it cannot be read.
std::string fileSha256(const std::filesystem::path& file);

// Starts the HTTP client library; once, before any thread uses it.
bool startS3Client();

} // namespace bookservice
