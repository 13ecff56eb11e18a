#include "converter/web_pages.h"

#include "converter/file_utils.h"
#include "converter/paths.h"
#include "converter/slide_files.h"
#include "platform/posix/posix_files.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Where the parts of a web archive claim to come from. Browsers look parts up by this address and
// never fetch it; the reserved top-level domain keeps it from ever reaching a real host.
const char* const kPartLocation = "http://slides.invalid/";

// The names of the plain files in a folder, the page first, the rest by name.
std::vector<std::string> exportedFiles(const std::string& folder, const std::string& pageName) {
    std::vector<std::string> names;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) {
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != pageName && posix::isFile(folder + "/" + name)) {
            names.push_back(name);
        }
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end());
    names.insert(names.begin(), pageName);
    return names;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

std::string lowerExtension(const std::string& name) {
    std::string extension = extensionOf(name);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

std::string contentTypeOf(const std::string& name) {
    const std::string extension = lowerExtension(name);
    if (extension == ".html" || extension == ".htm") {
        return "text/html; charset=\"utf-8\"";
    }
    if (extension == ".jpg" || extension == ".jpeg") {
        return "image/jpeg";
    }
    if (extension == ".png" || extension == ".gif" || extension == ".bmp") {
        return "image/" + extension.substr(1);
    }
    if (extension == ".css") {
        return "text/css";
    }
    if (extension == ".js") {
        return "application/javascript";
    }
    return "application/octet-stream";
}

std::string base64Lines(const std::string& data) {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t lineLength = 0;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        const std::size_t left = std::min<std::size_t>(3, data.size() - i);
        unsigned value = static_cast<unsigned char>(data[i]) << 16;
        if (left > 1) {
            value |= static_cast<unsigned char>(data[i + 1]) << 8;
        }
        if (left > 2) {
            value |= static_cast<unsigned char>(data[i + 2]);
        }
        out += alphabet[(value >> 18) & 63];
        out += alphabet[(value >> 12) & 63];
        out += left > 1 ? alphabet[(value >> 6) & 63] : '=';
        out += left > 2 ? alphabet[value & 63] : '=';
        lineLength += 4;
        if (lineLength >= 76) {
            out += "\r\n";
            lineLength = 0;
        }
    }
    if (lineLength > 0) {
        out += "\r\n";
    }
    return out;
}

std::string boundary() {
    std::random_device random;
    const char* digits = "0123456789abcdef";
    std::string text = "----=_NextPart_Lantrel_";
    for (int i = 0; i < 24; ++i) {
        text += digits[random() & 15];
    }
    return text;
}

} // namespace

bool placeHtmlExport(const std::string& staging, const std::string& pageName,
                     const std::string& output) {
    std::string page;
    if (!readWholeFile(staging + "/" + pageName, page)) {
        return false;
    }
    const std::string folderName = fileNameOf(withoutExtension(output)) + "_files";
    const std::string folder = withoutExtension(output) + "_files";
    const bool madeFolder = ::mkdir(folder.c_str(), 0755) == 0;
    if (!madeFolder && !posix::isFolder(folder)) {
        return false;
    }
    const std::string prefix = posix::percentEncoded(folderName) + "/";
    // The files this run adds to the folder; a failure takes them back, and the folder it made.
    std::vector<std::string> added;
    bool placed = true;
    for (const std::string& name : exportedFiles(staging, pageName)) {
        const std::string target = folder + "/" + name;
        const bool existed = posix::exists(target);
        // Sub-pages link back to the page by name, so it stays in the folder as well.
        if (!copyFile(staging + "/" + name, target)) {
            placed = false;
            break;
        }
        if (!existed) {
            added.push_back(target);
        }
        replaceAll(page, "\"" + name + "\"", "\"" + prefix + name + "\"");
    }
    placed = placed && replaceFileContent(output, page.data(), page.size());
    if (!placed) {
        for (const std::string& file : added) {
            ::unlink(file.c_str());
        }
        if (madeFolder) {
            ::rmdir(folder.c_str());
        }
    }
    return placed;
}

std::string htmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

bool writeMhtml(const std::string& staging, const std::string& pageName,
                const std::string& output) {
    // The slide images of the export, in slide order (img0.jpg, img1.jpg, ...).
    std::vector<std::string> images;
    for (const std::string& name : exportedFiles(staging, pageName)) {
        if (contentTypeOf(name).rfind("image/", 0) == 0) {
            insertInSlideOrder(images, name);
        }
    }
    const std::string title = htmlEscaped(fileNameOf(withoutExtension(output)));
    std::string page = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                       title +
                       "</title>\n<style>body{margin:0;padding:8px 0;background:#3a3a3a}"
                       "img{display:block;margin:8px auto;max-width:100%;height:auto;"
                       "box-shadow:0 2px 10px rgba(0,0,0,.6)}</style>\n</head>\n<body>\n";
    for (std::size_t i = 0; i < images.size(); ++i) {
        page += "<img src=\"" + posix::percentEncoded(images[i]) + "\" alt=\"Slide " +
                std::to_string(i + 1) + "\">\n";
    }
    page += "</body>\n</html>\n";

    const std::string separator = boundary();
    std::string document = "From: <Saved by Lantrel>\r\n"
                           "Subject: " +
                           fileNameOf(withoutExtension(output)) +
                           "\r\n"
                           "MIME-Version: 1.0\r\n"
                           "Content-Type: multipart/related;\r\n"
                           "\ttype=\"text/html\";\r\n"
                           "\tboundary=\"" +
                           separator + "\"\r\n\r\n";
    const auto appendPart = [&](const std::string& name, const std::string& content) {
        document += "--" + separator + "\r\n";
        document += "Content-Type: " + contentTypeOf(name) + "\r\n";
        document += "Content-Transfer-Encoding: base64\r\n";
        document += "Content-Location: " + std::string(kPartLocation) +
                    posix::percentEncoded(name) + "\r\n\r\n";
        document += base64Lines(content) + "\r\n";
    };
    appendPart(pageName, page);
    for (const std::string& name : images) {
        std::string content;
        if (!readWholeFile(staging + "/" + name, content)) {
            return false;
        }
        appendPart(name, content);
    }
    document += "--" + separator + "--\r\n";
    return replaceFileContent(output, document.data(), document.size());
}
