#include "converter/pdf_settings.h"

#include <random>

namespace {

enum Restriction : int {
    kDenyPrinting = 4,
    kDenyChanges = 8,
    kDenyCopying = 16,
    kDenyComments = 32,
    kDenyFormFilling = 256,
    kDenyExtraction = 512,
    kDenyAssembly = 1024,
    kDenyHighResolutionPrinting = 2048,
};

std::string randomPassword() {
    std::random_device random;
    const char* letters = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
    std::string password;
    for (int i = 0; i < 24; ++i) {
        password += letters[random() % 56];
    }
    return password;
}

} // namespace

int permittedChanges(int encryption) {
    const bool comments = !(encryption & kDenyComments);
    const bool forms = !(encryption & kDenyFormFilling);
    const bool assembly = !(encryption & kDenyAssembly);
    if (encryption & kDenyChanges) {
        return 0;
    }
    if (comments && forms) {
        return assembly ? 4 : 3;
    }
    if (forms) {
        return 2;
    }
    return assembly ? 1 : 0;
}

office::PdfSettings pdfSettingsFrom(const ConverterOptions& options) {
    office::PdfSettings settings;
    settings.title = options.title;
    settings.subject = options.subject;
    settings.author = options.author;
    settings.keywords = options.keywords;
    settings.openPassword = options.openpwd;
    settings.permissionPassword = options.ownerpwd;
    settings.bookmarks = options.bookmark != 0;
    const int bits = options.encryption;
    if (settings.permissionPassword.empty() && bits != 0) {
        settings.permissionPassword = randomPassword();
    }
    settings.printing = (bits & kDenyPrinting) ? 0 : (bits & kDenyHighResolutionPrinting) ? 1 : 2;
    settings.changes = permittedChanges(bits);
    settings.copying = !(bits & kDenyCopying);
    settings.accessibility = !(bits & kDenyExtraction);
    return settings;
}
