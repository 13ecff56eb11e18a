// The few pages the service shows to people in a browser.
#pragma once

#include <string>

namespace bookservice {

// The sign-up form, with a message above it (empty for none) and the fields filled as given.
std::string registerPage(const std::string& message, const std::string& name,
                         const std::string& email);
std::string registeredPage(const std::string& name);
std::string frontPage();

} // namespace bookservice
