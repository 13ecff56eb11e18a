#include "platform/bookservice/register_page.h"

#include "platform/bookservice/form.h"

namespace bookservice {

namespace {

std::string page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
           htmlEscape(title) +
           "</title>\n<style>\n"
           "body{font-family:sans-serif;background:#eef2f6;color:#1d2733;margin:0}\n"
           "main{max-width:26rem;margin:4rem auto;background:#fff;padding:2rem;"
           "border-radius:10px;box-shadow:0 2px 10px #0002}\n"
           "h1{font-size:1.4rem;margin-top:0}\n"
           "label{display:block;margin:1rem 0 .3rem}\n"
           "input{width:100%;box-sizing:border-box;padding:.5rem;font-size:1rem}\n"
           "button{margin-top:1.5rem;padding:.6rem 1.4rem;font-size:1rem;background:#2f6fb4;"
           "color:#fff;border:0;border-radius:6px}\n"
           ".message{background:#fdeaea;border-left:4px solid #c33;padding:.6rem}\n"
           "</style>\n</head>\n<body>\n<main>\n" +
           body + "</main>\n</body>\n</html>\n";
}

} // namespace

std::string registerPage(const std::string& message, const std::string& name,
                         const std::string& email) {
    std::string body = "<h1>Create your account</h1>\n";
    if (!message.empty()) {
        body += "<p class=\"message\" role=\"alert\">" + htmlEscape(message) + "</p>\n";
    }
    body += "<form method=\"post\" action=\"wp-login.php?action=register\" "
            "accept-charset=\"utf-8\">\n"
            "<label for=\"user_login\">User name</label>\n"
            "<input id=\"user_login\" name=\"user_login\" required maxlength=\"60\" "
            "autocomplete=\"username\" value=\"" +
            htmlEscape(name) +
            "\">\n"
            "<label for=\"user_email\">E-mail</label>\n"
            "<input id=\"user_email\" name=\"user_email\" type=\"email\" required "
            "autocomplete=\"email\" value=\"" +
            htmlEscape(email) +
            "\">\n"
            "<label for=\"user_pass\">Password (at least 8 characters)</label>\n"
            "<input id=\"user_pass\" name=\"user_pass\" type=\"password\" required "
            "minlength=\"8\" autocomplete=\"new-password\">\n"
            "<button type=\"submit\">Register</button>\n</form>\n";
    return page("Create your account", body);
}

std::string registeredPage(const std::string& name) {
    return page("Account created",
                "<h1>Welcome, " + htmlEscape(name) +
                    "</h1>\n<p>Your account is ready. Log in from Quorvex Murano's upload window "
                    "to publish your walls.</p>\n");
}

std::string frontPage() {
    return page("Quorvex Murano books",
                "<h1>Quorvex Murano books</h1>\n<p>This service publishes image walls made with "
                "Quorvex Murano.</p>\n<p><a href=\"wp-login.php?action=register\">Create an "
                "account</a></p>\n");
}

} // namespace bookservice
