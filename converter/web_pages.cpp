#include "web_pages.h"

#include "file_utils.h"
#include "paths.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace {

// The names of the plain files in a folder, the page first, the rest by name.
std::vector<std::string> exportedFiles(const std::string& folder, const std::string& pageName) {
    std::vector<std::string> names;
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) {
        return names;
    }
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != pageName && isRegularFile(folder + "/" + name)) {
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

std::string urlEncoded(const std::string& name) {
    static const char* hex = "0123456789ABCDEF";
    std::string url;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 15];
        }
    }
    return url;
}

bool placeHtmlExport(const std::string& staging, const std::string& pageName,
                     const std::string& output) {
    std::string page;
    if (!readWholeFile(staging + "/" + pageName, page)) {
        return false;
    }
    const std::string folderName = fileNameOf(withoutExtension(output)) + "_files";
    const std::string folder = withoutExtension(output) + "_files";
    if (!isFolder(folder) && ::mkdir(folder.c_str(), 0755) != 0) {
        return false;
    }
    const std::string prefix = urlEncoded(folderName) + "/";
    for (const std::string& name : exportedFiles(staging, pageName)) {
        // Sub-pages link back to the page by name, so it stays in the folder as well.
        if (!copyFile(staging + "/" + name, folder + "/" + name)) {
            return false;
        }
        replaceAll(page, "\"" + name + "\"", "\"" + prefix + name + "\"");
    }
    return replaceFileContent(output, page.data(), page.size());
}

bool writeMhtml(const std::string& staging, const std::string& pageName,
                const std::string& output) {
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
    for (const std::string& name : exportedFiles(staging, pageName)) {
        std::string content;
        if (!readWholeFile(staging + "/" + name, content)) {
            return false;
        }
        document += "--" + separator + "\r\n";
        document += "Content-Type: " + contentTypeOf(name) + "\r\n";
        document += "Content-Transfer-Encoding: base64\r\n";
        document += "Content-Location: file:///" + urlEncoded(name) + "\r\n\r\n";
        document += base64Lines(content) + "\r\n";
    }
    document += "--" + separator + "--\r\n";
    return replaceFileContent(output, document.data(), document.size());
}
