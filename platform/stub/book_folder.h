// Unpacking the book a payload carries: into a folder the user names, or into the user's private
// folder of books under a name made from the archive's SHA-256, where a later run finds it again.
#pragma once

#include "platform/stub/payload.h"
#include "platform/zipread/zipread.h"

#include <string>

namespace murano::stub {

// The page every book opens with, relative to the folder it is unpacked into.
extern const char* const kBookPage;

struct Unpacked {
    bool ok = false;
    std::string page;  // the page's full path when ok
    std::string error; // a sentence for people otherwise
};

// Opens the payload's archive and checks that it holds the book's page.
zipread::Status openBook(zipread::Archive& archive, const std::string& file,
                         const Payload& payload);

// Unpacks into `folder` (created when missing).
Unpacked unpackInto(zipread::Archive& archive, const Payload& payload, const std::string& folder);

// Unpacks into the private folder named after the archive's hash, or reuses it when an earlier run
// finished it. Two runs at once each unpack into a folder of their own and the first to finish
// wins; what runs that ended half-way left is removed by the next run.
Unpacked unpackPrivately(zipread::Archive& archive, const std::string& file,
                         const Payload& payload);

} // namespace murano::stub
