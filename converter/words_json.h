// The deck's words as the converter writes them (-words): one UTF-8 JSON file in the layout of
// docs/words.md, every exported slide with its deck number.
#pragma once

#include "platform/office/murano_office.h"

#include <string>

// A JSON string literal of `text`, quotes included. Invalid UTF-8 (an unpaired surrogate of the
// deck among it) becomes U+FFFD; control characters are escaped.
std::string jsonString(const std::string& text);

// The words file: version, document properties, and the slides in deck order, numbered from 1.
std::string wordsJson(const office::DeckText& deck);
