// Turning the office suite's HTML export (a page and its images and sub-pages, written into a
// private staging folder) into the converter's two web outputs.
#pragma once

#include <string>

// Places an HTML export: the page as `output`, everything else in the folder beside it named
// after the output with "_files" (out.html gives out_files/), with the page's links pointing
// there. `pageName` is the page's file name in `staging`.
bool placeHtmlExport(const std::string& staging, const std::string& pageName,
                     const std::string& output);

// Writes every file of an HTML export as one multipart/related MIME document (the page first,
// as the root) to `output`.
bool writeMhtml(const std::string& staging, const std::string& pageName, const std::string& output);

// A path component percent-encoded for use in a URL.
std::string urlEncoded(const std::string& name);
