// The presentation's outline as an RTF document: each slide's title, then its body paragraphs
// indented by their outline level.
#pragma once

#include "platform/office/murano_office.h"

#include <string>
#include <vector>

// The RTF text of an outline (texts are UTF-8; the RTF is 7-bit with Unicode escapes).
std::string outlineRtf(const std::vector<office::SlideOutline>& slides);
