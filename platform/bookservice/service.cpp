#include "platform/bookservice/service.h"

#include "platform/bookservice/accounts.h"
#include "platform/bookservice/connections.h"
#include "platform/bookservice/form.h"
#include "platform/bookservice/multipart.h"
#include "platform/bookservice/register_page.h"
#include "platform/bookservice/request_log.h"
#include "platform/bookservice/rules.h"
#include "platform/bookservice/upload.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>
#include <map>

namespace bookservice {

namespace {

const char* const kSessionCookie = "bookservice_session";
const char* const kText = "text/plain; charset=utf-8";
const char* const kHtml = "text/html; charset=utf-8";
// A refused body up to this size is read and dropped, so that a client that sends it whole before
// reading the answer still gets the answer; a larger one ends the connection instead.
constexpr std::uint64_t kDrainLimit = 16 << 20;

// Refusal texts carry none of the client's markers of success ("ccess", "has exist", "URL[").
const char* const kLogInFirst = "Please log in first.";
const char* const kNotYours = "This request names another account.";

void reply(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text, kText);
}

std::string cookieValue(const httplib::Request& request, const std::string& name) {
    const std::size_t headers = request.get_header_value_count("Cookie");
    for (std::size_t h = 0; h < headers; ++h) {
        const std::string cookies = request.get_header_value("Cookie", h);
        std::size_t start = 0;
        while (start < cookies.size()) {
            const std::size_t end = std::min(cookies.find(';', start), cookies.size());
            std::string pair = cookies.substr(start, end - start);
            pair.erase(0, std::min(pair.find_first_not_of(' '), pair.size()));
            if (pair.compare(0, name.size() + 1, name + "=") == 0) {
                return pair.substr(name.size() + 1);
            }
            start = end + 1;
        }
    }
    return {};
}

std::string contentType(const std::string& path) {
    static const std::map<std::string, std::string> types = {
        {"html", kHtml},
        {"htm", kHtml},
        {"js", "text/javascript; charset=utf-8"},
        {"css", "text/css; charset=utf-8"},
        {"xml", "application/xml"},
        {"json", "application/json"},
        {"txt", kText},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"png", "image/png"},
        {"gif", "image/gif"},
        {"bmp", "image/bmp"},
        {"webp", "image/webp"},
        {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"},
        {"swf", "application/x-shockwave-flash"},
        {"mp3", "audio/mpeg"},
        {"mp4", "video/mp4"},
        {"woff", "font/woff"},
        {"woff2", "font/woff2"},
        {"ttf", "font/ttf"},
        {"pdf", "application/pdf"},
    };
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return "application/octet-stream";
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto found = types.find(extension);
    return found == types.end() ? "application/octet-stream" : found->second;
}

// The "/"-separated path inside a book, or nothing when a segment could leave it. A path that
// ends in "/" names the folder's index.html.
std::optional<std::string> pathInsideBook(const std::string& decoded) {
    std::string inside;
    std::size_t start = 0;
    while (start < decoded.size()) {
        const std::size_t end = std::min(decoded.find('/', start), decoded.size());
        const std::string segment = decoded.substr(start, end - start);
        start = end + 1;
        if (segment == "." || segment == ".." ||
            segment.find_first_of(std::string("\\\0", 2)) != std::string::npos) {
            return std::nullopt;
        }
        if (!segment.empty()) {
            inside += (inside.empty() ? "" : "/") + segment;
        }
    }
    if (decoded.back() == '/') {
        inside += (inside.empty() ? "" : "/") + std::string("index.html");
    }
    return inside;
}

// The book's public address as this request reached the service.
std::string bookAddress(const httplib::Request& request, std::int64_t owner,
                        const std::string& book) {
    const std::string host = request.get_header_value("Host");
    const bool plainHost =
        !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
            return std::isalnum(c) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
        });
    return (plainHost ? "http://" + host : std::string()) + "/u/" + std::to_string(owner) +
           "/flipbook/" + book + "/index.html";
}

// cpp-httplib parses a body itself whenever its Content-Type says multipart, in small steps that
// cost more than the transfer. An upload's type is kept under another header name instead, so its
// body reaches the upload handler raw and streams to disk at full speed; the handler parses it
// from the file.
const char* const kUploadPath = "/app/flipbook/fp-zip.php";
const char* const kReplacePath = "/app/flipbook/replace.php";
const char* const kUploadTypeHeader = "X-Upload-Content-Type";

bool takesUpload(const httplib::Request& request) {
    return request.path == kUploadPath || request.path == kReplacePath;
}

void keepUploadTypeAside(const httplib::Request& request) {
    if (!takesUpload(request)) {
        return;
    }
    // The server's own request object, lent as const to the routing hook; it is not const itself.
    auto& headers = const_cast<httplib::Headers&>(request.headers);
    const auto type = headers.find("Content-Type");
    if (type != headers.end()) {
        headers.emplace(kUploadTypeHeader, type->second);
        headers.erase(type);
    }
}

std::string uploadType(const httplib::Request& request) {
    return request.has_header(kUploadTypeHeader) ? request.get_header_value(kUploadTypeHeader)
                                                 : request.get_header_value("Content-Type");
}

void discardBody(const httplib::Request& request, httplib::Response& response,
                 const httplib::ContentReader& reader) {
    const bool small = request.has_header("Content-Length") &&
                       request.get_header_value<std::uint64_t>("Content-Length") <= kDrainLimit;
    if (!small || !reader([](const char*, std::size_t) { return true; })) {
        response.set_header("Connection", "close");
    }
}

// The library compresses an answer's body for clients that accept it before its logger sees the
// answer; the error handler, which it calls on the same thread for every refusal just before,
// sees the text as written. It keeps the text here for the logger.
thread_local std::string refusalReason;

void keepRefusalReason(const httplib::Response& response) {
    refusalReason =
        response.get_header_value("Content-Type") == kText ? response.body : std::string();
}

// One line per request: peer, method, path (no query: it may hold secrets), status, size, and
// for refusals their reason.
void logRequest(const httplib::Request& request, const httplib::Response& response) {
    std::string reason;
    if (response.status >= 400) {
        reason.swap(refusalReason);
    }
    writeLogLine({request.remote_addr, request.method,
                  request.target.substr(0, request.target.find('?')), response.status,
                  response.body.size() + response.content_length_, reason});
}

// The upload's body: straight from the connection when its length is known and it comes as it
// is, else through the library.
BodySource uploadBody(const httplib::Request& request, const httplib::ContentReader& reader) {
    return [&request, &reader](const httplib::ContentReceiver& receive) {
        if (request.has_header("Content-Length") && !request.has_header("Transfer-Encoding") &&
            !request.has_header("Content-Encoding")) {
            switch (readBodyDirectly(request.get_header_value<std::uint64_t>("Content-Length"),
                                     receive)) {
            case DirectBody::Complete:
                return true;
            case DirectBody::Stopped:
            case DirectBody::Failed:
                return false;
            case DirectBody::Unavailable:
                break;
            }
        }
        return reader(receive);
    };
}

const char* const kUnavailable = "The service is unavailable for a moment; please try again.";

void replyUnavailable(httplib::Response& response, const std::exception& failure) {
    std::cerr << "bookservice: " << failure.what() << "\n";
    reply(response, 503, kUnavailable);
    response.set_header("Retry-After", "5");
    response.set_header("Connection", "close");
}

// "Tue, 08 Dec 2026 02:13:57 GMT"
std::string httpDate(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%a, %d %b %Y %H:%M:%S GMT", &parts);
    return text;
}

// "2026-12-08T02:13:57Z"
std::string isoDate(std::int64_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::gmtime_r(&time, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

// Whether the client's copy, named by its conditional headers, is still the file's.
bool clientCopyIsCurrent(const httplib::Request& request, const BookFile& file) {
    if (request.has_header("If-None-Match")) {
        const std::string tags = request.get_header_value("If-None-Match");
        return tags == "*" || tags.find(file.etag()) != std::string::npos;
    }
    return request.has_header("If-Modified-Since") &&
           request.get_header_value("If-Modified-Since") == httpDate(file.modified());
}

std::string jsonText(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// An answer sent before the whole body was read ends the connection: what is left of the body
// must never be read as further requests.
void replyAndClose(httplib::Response& response, int status, const std::string& text) {
    reply(response, status, text);
    response.set_header("Connection", "close");
}

} // namespace

BookService::BookService(AccountStore& accounts, BookStore& books, ServiceSettings settings)
    : accounts_(accounts), books_(books), settings_(std::move(settings)) {}

void BookService::install(httplib::Server& server) {
    using httplib::ContentReader;
    using httplib::Request;
    using httplib::Response;
    server.Get(
        "/", [](const Request&, Response& response) { response.set_content(frontPage(), kHtml); });
    server.Get("/wp-login.php", [this](const Request& rq, Response& rs) { registerForm(rq, rs); });
    server.Post("/wp-login.php",
                [this](const Request& rq, Response& rs) { registerAccount(rq, rs); });
    server.Post("/__app_wp_login.php", [this](const Request& rq, Response& rs) { login(rq, rs); });
    server.Post("/app/logout.php", [this](const Request& rq, Response& rs) { logout(rq, rs); });
    server.Post("/app/paypal/paypal.php",
                [this](const Request& rq, Response& rs) { points(rq, rs); });
    server.Post("/app/flipbook/fileexist.php",
                [this](const Request& rq, Response& rs) { bookExists(rq, rs); });
    server.Post(kUploadPath, [this](const Request& rq, Response& rs, const ContentReader& reader) {
        upload(rq, rs, reader);
    });
    server.Post(kReplacePath, [this](const Request& rq, Response& rs, const ContentReader& reader) {
        replace(rq, rs, reader);
    });
    server.Get("/app/flipbook/books.php",
               [this](const Request& rq, Response& rs) { listBooks(rq, rs); });
    server.Post("/app/flipbook/delete.php",
                [this](const Request& rq, Response& rs) { deleteBook(rq, rs); });
    server.Get(R"(/u/(\d{1,18})/flipbook/([A-Za-z0-9_-]{1,100})(/.*)?)",
               [this](const Request& rq, Response& rs) { serveBook(rq, rs); });

    server.set_expect_100_continue_handler([this](const Request& rq, Response& rs) {
        if (takesUpload(rq)) {
            try {
                if (const auto refusal = uploadRefusal(rq, rs)) {
                    return *refusal;
                }
            } catch (const StoreUnavailable& failure) {
                replyUnavailable(rs, failure);
                return 503;
            }
        }
        return 100;
    });
    server.set_pre_routing_handler([](const Request& rq, Response&) {
        keepUploadTypeAside(rq);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.set_error_handler([](const Request&, Response& rs) {
        if (rs.body.empty()) {
            rs.set_content(rs.status == 404 ? "Not found."
                                            : "The request cannot be handled (HTTP " +
                                                  std::to_string(rs.status) + ").",
                           kText);
        }
        keepRefusalReason(rs);
    });
    server.set_exception_handler([](const Request&, Response& rs, std::exception_ptr thrown) {
        try {
            std::rethrow_exception(thrown);
        } catch (const StoreUnavailable& failure) {
            replyUnavailable(rs, failure);
        } catch (...) {
            reply(rs, 500, "The request could not be handled.");
        }
        keepRefusalReason(rs);
    });
    server.set_payload_max_length(settings_.maxUpload);
    server.set_logger(logRequest);
}

void BookService::registerForm(const httplib::Request& request, httplib::Response& response) {
    if (request.get_param_value("action") != "register") {
        reply(response, 404, "Not found.");
        return;
    }
    response.set_content(registerPage({}, {}, {}), kHtml);
}

void BookService::registerAccount(const httplib::Request& request, httplib::Response& response) {
    if (request.get_param_value("action") != "register") {
        reply(response, 404, "Not found.");
        return;
    }
    auto fields = parseForm(request.body);
    const std::string& name = fields["user_login"];
    const std::string& email = fields["user_email"];
    std::string problem;
    const Registration outcome =
        bookservice::registerAccount(accounts_, name, email, fields["user_pass"], problem);
    if (outcome != Registration::Created) {
        response.status = outcome == Registration::NameTaken ? 409
                          : outcome == Registration::Refused ? 400
                                                             : 500;
        response.set_content(registerPage(problem, name, email), kHtml);
        return;
    }
    response.set_content(registeredPage(name), kHtml);
}

void BookService::login(const httplib::Request& request, httplib::Response& response) {
    auto fields = parseForm(request.body);
    const Login login = checkLogin(accounts_, fields["log"], fields["pwd"]);
    switch (login.result) {
    case LoginResult::UnknownName:
        reply(response, 401, "Invalid user name.");
        return;
    case LoginResult::WrongPassword:
        reply(response, 401, "The password is incorrect.");
        return;
    case LoginResult::Success:
        break;
    }
    const std::string token = startSession(accounts_, login.account.id);
    response.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + token +
                                          "; Path=/; Max-Age=" + std::to_string(kSessionSeconds) +
                                          "; HttpOnly; SameSite=Strict");
    reply(response, 200,
          "Login Success&userID=" + std::to_string(login.account.id) +
              "&userEmail=" + login.account.email);
}

void BookService::logout(const httplib::Request& request, httplib::Response& response) {
    endSession(accounts_, cookieValue(request, kSessionCookie));
    response.set_header("Set-Cookie", std::string(kSessionCookie) +
                                          "=; Path=/; Max-Age=0; HttpOnly; SameSite=Strict");
    reply(response, 200, "Logged out.");
}

std::optional<Account> BookService::requireSession(const httplib::Request& request,
                                                   httplib::Response& response) {
    auto account = sessionOwner(accounts_, cookieValue(request, kSessionCookie));
    if (!account) {
        reply(response, 401, kLogInFirst);
    }
    return account;
}

void BookService::points(const httplib::Request& request, httplib::Response& response) {
    const auto account = requireSession(request, response);
    if (!account) {
        return;
    }
    auto fields = parseForm(request.body);
    if (fields["action"] != "getPoint") {
        reply(response, 400, "Unknown action.");
        return;
    }
    if (!sameClientText(fields["uEmail"], account->email)) {
        reply(response, 403, kNotYours);
        return;
    }
    reply(response, 200, "point=" + std::to_string(account->points));
}

void BookService::bookExists(const httplib::Request& request, httplib::Response& response) {
    const auto account = requireSession(request, response);
    if (!account) {
        return;
    }
    auto fields = parseForm(request.body);
    if (!sameClientText(fields["username"], account->name)) {
        reply(response, 403, kNotYours);
        return;
    }
    const std::string& book = fields["bookname"];
    if (!isBookName(book)) {
        reply(response, 400, "A book name is made of letters A-Z, digits, \"_\" and \"-\".");
        return;
    }
    reply(response, 200,
          books_.hasBook(account->id, book) ? "The book has exist." : "The book name is free.");
}

std::optional<int> BookService::uploadRefusal(const httplib::Request& request,
                                              httplib::Response& response) {
    if (!requireSession(request, response)) {
        return 401;
    }
    if (request.has_header("Content-Length") &&
        request.get_header_value<std::uint64_t>("Content-Length") > settings_.maxUpload) {
        reply(response, 413,
              "The upload is larger than " + std::to_string(settings_.maxUpload >> 20) + " MiB.");
        return 413;
    }
    if (multipartBoundary(uploadType(request)).empty()) {
        reply(response, 400, "An upload is a multipart form.");
        return 400;
    }
    return std::nullopt;
}

void BookService::upload(const httplib::Request& request, httplib::Response& response,
                         const httplib::ContentReader& reader) {
    receiveBook(request, response, reader, PublishMode::New);
}

void BookService::replace(const httplib::Request& request, httplib::Response& response,
                          const httplib::ContentReader& reader) {
    receiveBook(request, response, reader, PublishMode::Replace);
}

void BookService::receiveBook(const httplib::Request& request, httplib::Response& response,
                              const httplib::ContentReader& reader, PublishMode mode) {
    if (uploadRefusal(request, response)) {
        discardBody(request, response, reader);
        return;
    }
    const auto account = sessionOwner(accounts_, cookieValue(request, kSessionCookie));
    const auto scratch = std::make_shared<ScratchFolder>(settings_.staging);
    // Removing a large body from the disk takes a while; the client need not wait for it.
    afterAnswer([scratch] { scratch->remove(); });
    if (!account || !scratch->ready()) {
        reply(response, 500, "The upload cannot be received now.");
        return;
    }
    const std::filesystem::path body = scratch->path() / "body";
    DelimiterScanner delimiters(multipartBoundary(uploadType(request)));
    const BodySize size{request.has_header("Content-Length")
                            ? request.get_header_value<std::uint64_t>("Content-Length")
                            : 0,
                        settings_.maxUpload};
    switch (receiveBody(uploadBody(request, reader), body, size, delimiters)) {
    case Receipt::Complete:
        break;
    case Receipt::TooLarge:
        replyAndClose(response, 413, "The upload is too large.");
        return;
    case Receipt::NoRoom:
        replyAndClose(response, 507, "The service has no room to store the upload now.");
        return;
    case Receipt::StorageFault:
        replyAndClose(response, 500, "The upload cannot be stored now.");
        return;
    case Receipt::Broken:
        replyAndClose(response, 400, "The upload was cut short.");
        return;
    }
    UploadForm form;
    switch (readUploadForm(body, delimiters, form)) {
    case FormCheck::Complete:
        break;
    case FormCheck::Malformed:
        reply(response, 400, "The upload is not a well-formed multipart form.");
        return;
    case FormCheck::MissingPart:
        reply(response, 400,
              "The upload needs its parts user_upload_file[], username and bookname.");
        return;
    }
    if (!sameClientText(form.userName, account->name)) {
        reply(response, 403, kNotYours);
        return;
    }
    if (!isBookName(form.bookName)) {
        reply(response, 400, "A book name is made of letters A-Z, digits, \"_\" and \"-\".");
        return;
    }
    const bool exists = books_.hasBook(account->id, form.bookName);
    if (mode == PublishMode::New && exists) {
        reply(response, 409, "The book exists already; please choose another name.");
        return;
    }
    if (mode == PublishMode::Replace && !exists) {
        reply(response, 404, "There is no such book to replace.");
        return;
    }
    const Reply published = publishUpload(books_, scratch->path(), body, form.archive, account->id,
                                          form.bookName, settings_.unpack, mode);
    reply(response, published.status,
          published.status == 200
              ? "Upload complete. URL[" + bookAddress(request, account->id, form.bookName) + "]"
              : published.text);
}

void BookService::serveBook(const httplib::Request& request, httplib::Response& response) {
    const std::int64_t owner = std::stoll(request.matches[1].str());
    const std::string book = request.matches[2].str();
    const std::string rest = request.matches[3].str();
    if (rest.empty()) {
        response.set_redirect(book + "/", 301);
        return;
    }
    const auto inside = pathInsideBook(rest);
    std::shared_ptr<BookFile> file =
        inside ? books_.openFile(owner, book, *inside) : std::unique_ptr<BookFile>();
    if (!file) {
        reply(response, 404, "Not found.");
        return;
    }
    // Browsers revalidate (cheaply, by ETag) so that a replaced book shows at once.
    response.set_header("Cache-Control", "public, no-cache");
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("ETag", file->etag());
    response.set_header("Last-Modified", httpDate(file->modified()));
    if (clientCopyIsCurrent(request, *file)) {
        response.status = 304;
        return;
    }
    // The library answers Range requests from the provider, asking only for the parts named.
    response.set_content_provider(
        static_cast<std::size_t>(file->size()), contentType(*inside).c_str(),
        [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            return file->copyRange(offset, length, [&sink](const char* data, std::size_t size) {
                return sink.write(data, size);
            });
        });
}

void BookService::listBooks(const httplib::Request& request, httplib::Response& response) {
    const auto account = requireSession(request, response);
    if (!account) {
        return;
    }
    std::string json = "{\"books\":[";
    for (const BookSummary& book : books_.listBooks(account->id)) {
        json += (json.back() == '[' ? "" : ",") + std::string("{\"name\":") + jsonText(book.name) +
                ",\"address\":" + jsonText(bookAddress(request, account->id, book.name)) +
                ",\"size\":" + std::to_string(book.size) +
                ",\"published\":" + jsonText(isoDate(book.published)) + "}";
    }
    response.set_header("Cache-Control", "no-store");
    response.set_content(json + "]}", "application/json");
}

void BookService::deleteBook(const httplib::Request& request, httplib::Response& response) {
    const auto account = requireSession(request, response);
    if (!account) {
        return;
    }
    auto fields = parseForm(request.body);
    const std::string& book = fields["bookname"];
    if (!isBookName(book)) {
        reply(response, 400, "A book name is made of letters A-Z, digits, \"_\" and \"-\".");
        return;
    }
    if (!books_.removeBook(account->id, book)) {
        reply(response, 404, "There is no such book.");
        return;
    }
    reply(response, 200, "The book is deleted.");
}

} // namespace bookservice
