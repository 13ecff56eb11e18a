// The book service's requests: the paths and form fields are those the desktop client uses, and its
// replies carry the markers the client looks for ("Success", "userID=", "userEmail=", "Invalid",
// "incorrect", "has exist", "URL["). Refusals never carry a marker of success.
#pragma once

#include "platform/bookservice/storage.h"
#include "platform/bookservice/unpack.h"

#include <filesystem>
#include <httplib.h>
#include <optional>

namespace bookservice {

struct ServiceSettings {
    std::filesystem::path staging; // private scratch space on the books' file system
    std::uint64_t maxUpload = std::uint64_t(512) << 20;
    UnpackLimits unpack;
};

class BookService {
public:
    BookService(AccountStore& accounts, BookStore& books, ServiceSettings settings);

    // Installs every route, the request log and the limits on `server`.
    void install(httplib::Server& server);

private:
    void registerForm(const httplib::Request& request, httplib::Response& response);
    void registerAccount(const httplib::Request& request, httplib::Response& response);
    void login(const httplib::Request& request, httplib::Response& response);
    // Ends the request's session and clears its cookie.
    void logout(const httplib::Request& request, httplib::Response& response);
    void points(const httplib::Request& request, httplib::Response& response);
    void bookExists(const httplib::Request& request, httplib::Response& response);
    void upload(const httplib::Request& request, httplib::Response& response,
                const httplib::ContentReader& reader);
    // The same body as an upload, for a book of the owner's that exists.
    void replace(const httplib::Request& request, httplib::Response& response,
                 const httplib::ContentReader& reader);
    void receiveBook(const httplib::Request& request, httplib::Response& response,
                     const httplib::ContentReader& reader, PublishMode mode);
    // The owner's books as JSON: {"books":[{"name","address","size","published"}]}.
    void listBooks(const httplib::Request& request, httplib::Response& response);
    void deleteBook(const httplib::Request& request, httplib::Response& response);
    void serveBook(const httplib::Request& request, httplib::Response& response);

    // The logged-in account, or nothing after answering 401.
    std::optional<Account> requireSession(const httplib::Request& request,
                                          httplib::Response& response);
    // Why an upload is refused from its headers alone, before any of its body is read.
    std::optional<int> uploadRefusal(const httplib::Request& request, httplib::Response& response);

    AccountStore& accounts_;
    BookStore& books_;
    ServiceSettings settings_;
};

} // namespace bookservice
