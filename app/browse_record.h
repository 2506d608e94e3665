#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// The browse dialog for one raw data file, called the way the "Add..." button calls it:
//
//   BrowseRecord record{};                 // all zero
//   copy the last directory into record.directory
//   std::uint32_t options = kBrowseStartInDirectory;
//   if (BroFileOpen(0, &record, &options, "Select Input Raw File") != 0)
//       path = JoinBrowseRecord(record)
//
// The text fields are byte strings in the file system's encoding, each ended by a zero byte
// within its span.
struct BrowseRecord {
    std::uint8_t reserved[2];  // zero; neither read nor written
    char directory[260];       // in: where to start; out: the chosen file's directory, ending
                               // in a separator
    char name[256];            // out: the chosen file's name without extension
    char extension[270];       // out: its extension without the dot
};

static_assert(sizeof(BrowseRecord) == 788);
static_assert(offsetof(BrowseRecord, directory) == 2);
static_assert(offsetof(BrowseRecord, name) == 262);
static_assert(offsetof(BrowseRecord, extension) == 518);

// Option bit: start in record->directory (otherwise in the home directory).
inline constexpr std::uint32_t kBrowseStartInDirectory = 0x100;

// Shows the browse dialog titled `title`, where the user picks an existing raw data file or
// file.
// Returns non-zero when one was chosen and the record describes it; 0 when the user cancelled,
// when `zero` is not 0 or `record` is null, and when the chosen path does not fit the record's
// fields (a message then says so: nothing is cut). The record is left unchanged on 0.
// `options` may be null (no option set).
int BroFileOpen(int zero, BrowseRecord* record, const std::uint32_t* options, const char* title);

// Fills the output fields from `path` (a file, or a raw data file's directory path with a trailing
// separator allowed); false, with the record untouched, when a field would not fit.
bool FillBrowseRecord(const QString& path, BrowseRecord& record);

// The chosen path: directory + name, then "." + extension when there is one (a file without an
// extension has no dot to give back; a name ending in a dot keeps it in `name`).
std::string JoinBrowseRecord(const BrowseRecord& record);

// Copies `text` into a field of `capacity` bytes with its zero byte; false, with the field
// untouched, when it does not fit.
bool CopyToField(const std::string& text, char* field, std::size_t capacity);
// The text of a field up to its zero byte, or the whole span when it has none.
std::string FieldText(const char* field, std::size_t capacity);

// The dialog that BroFileOpen shows: given the start directory and the title, the chosen
// input's path, or an empty text when the user cancelled. Tests install their own.
using RawFileChooser = std::function<QString(const QString& startDirectory, const QString& title)>;
RawFileChooser SetRawFileChooser(RawFileChooser chooser);
