// Turning the office suite's HTML export (a page and its images and sub-pages, written into a
// private staging folder) into the converter's two web outputs.
#pragma once

#include <string>

// Places an HTML export: the page as `output`, everything else in the folder beside it named
// after the output with "_files" (out.html gives out_files/), with the page's links pointing
// there. `pageName` is the page's file name in `staging`.
bool placeHtmlExport(const std::string& staging, const std::string& pageName,
                     const std::string& output);

// Writes a web archive (one multipart/related MIME document) to `output`: a page that shows every
// slide image of the HTML export one below the other, and those images.
bool writeMhtml(const std::string& staging, const std::string& pageName, const std::string& output);

// Text with the characters that mean markup in HTML (& < > " ') written as references.
std::string htmlEscaped(const std::string& text);
