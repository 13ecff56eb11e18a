// The remembered-values table: sixteen text slots shared by the whole process, mirrored by the
// files ".home" (import and publish side) and ".home.." (project side) of the work folder.
#pragma once

#include <QString>

#include <array>

// What each slot holds.
enum RememberedSlot : int {
    SlotImportSource = 0,      // import: presentation path as typed
    SlotImportRange = 1,       // import: page-range text
    SlotImportMode = 2,        // import: "allPage" or "customRange"
    SlotOutputFolder = 3,      // publish: output folder
    SlotOutputName = 4,        // publish: output file name without extension
    SlotUnused = 5,            // read and written back as it stands
    SlotHtmlTitle = 6,         // advanced: page title
    SlotHtmlKeywords = 7,      // advanced: page keywords
    SlotHtmlDescription = 8,   // advanced: page description
    SlotExeCaption = 9,        // advanced: executable window caption
    SlotExeWidth = 10,         // advanced: executable window width
    SlotExeHeight = 11,        // advanced: executable window height
    SlotExeIcon = 12,          // advanced: icon file path
    SlotExeWindowMode = 13,    // advanced: "max", "full" or "custom"
    SlotLastProjectFile = 14,  // last saved project file
    SlotLastProjectFolder = 15 // folder of the last opened project
};

class RememberedValues {
public:
    static constexpr int kSlotCount = 16;

    // The one table of the process.
    static RememberedValues& shared();

    // The slot's text; "" for a slot outside 0..15.
    QString value(int slot) const;
    // Sets a slot; a slot outside 0..15 is ignored.
    void setValue(int slot, const QString& text);
    void clear();

    // Reads a file (UTF-8, "\n" or "\r\n" line ends) into the table from slot 0, one line per
    // slot, stopping at the end of the file or after slot 15; slots past the file's end keep their
    // values. Returns false, leaving the table as it was, when the file cannot be opened.
    bool load(const QString& path);

    // Replaces the file with the whole table: 16 lines of UTF-8, each ended by "\n". A line break
    // inside a value is written as a space, so that it cannot shift the later slots. The file is
    // replaced in one step: a failed write leaves the old file whole. Returns false on failure.
    bool save(const QString& path) const;

private:
    std::array<QString, kSlotCount> slots_;
};
