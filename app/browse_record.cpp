#include "app/browse_record.h"

#include <QDir>
#include <cstring>
#include <utility>

#include "app/input_paths.h"
#include "app/raw_file_browse_dialog.h"
#include "dialog_framework/message_box.h"
#include "processing/output_path.h"

namespace {

RawFileChooser& CurrentChooser() {
    static RawFileChooser chooser;
    return chooser;
}

QString WithoutTrailingSeparators(QString path) {
    while (path.size() > 1 &&
           (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))) {
        path.chop(1);
    }
    return path;
}

}  // namespace

bool CopyToField(const std::string& text, char* field, std::size_t capacity) {
    if (text.size() >= capacity || text.find('\0') != std::string::npos) {
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

std::string FieldText(const char* field, std::size_t capacity) {
    const void* end = std::memchr(field, '\0', capacity);
    const std::size_t length =
        end == nullptr ? capacity : static_cast<std::size_t>(static_cast<const char*>(end) - field);
    return std::string(field, length);
}

std::string JoinBrowseRecord(const BrowseRecord& record) {
    const std::string extension = FieldText(record.extension, sizeof record.extension);
    return FieldText(record.directory, sizeof record.directory) +
           FieldText(record.name, sizeof record.name) + (extension.empty() ? "" : ".") + extension;
}

bool FillBrowseRecord(const QString& path, BrowseRecord& record) {
    const processing::PathParts parts =
        processing::SplitPath(ToNativePath(WithoutTrailingSeparators(path)));
    // The extension part keeps its dot; the record does not. A name ending in a dot keeps it
    // in the name field, so that joining the fields (a dot only before an extension) gives the
    // path back.
    std::string name = parts.name;
    std::string extension;
    if (parts.extension == ".") {
        name += '.';
    } else if (!parts.extension.empty()) {
        extension = parts.extension.substr(1);
    }
    BrowseRecord filled = record;
    if (!CopyToField(parts.drive + parts.directory, filled.directory, sizeof filled.directory) ||
        !CopyToField(name, filled.name, sizeof filled.name) ||
        !CopyToField(extension, filled.extension, sizeof filled.extension)) {
        return false;
    }
    record = filled;
    return true;
}

int BroFileOpen(int zero, BrowseRecord* record, const std::uint32_t* options, const char* title) {
    if (zero != 0 || record == nullptr) {
        return 0;
    }
    QString start = QDir::homePath();
    if (options != nullptr && (*options & kBrowseStartInDirectory) != 0) {
        const std::string directory = FieldText(record->directory, sizeof record->directory);
        if (!directory.empty()) {
            start = FromNativePath(directory);
        }
    }
    const QString caption = title == nullptr ? QString() : QString::fromUtf8(title);
    const QString chosen =
        CurrentChooser() ? CurrentChooser()(start, caption) : ChooseRawFile(start, caption);
    if (chosen.isEmpty()) {
        return 0;
    }
    if (!FillBrowseRecord(chosen, *record)) {
        ShowMessageBox(
            {QMessageBox::Warning, caption,
             QStringLiteral("The path of this input is too long to be added:\n%1").arg(chosen),
             QString()});
        return 0;
    }
    return 1;
}

RawFileChooser SetRawFileChooser(RawFileChooser chooser) {
    return std::exchange(CurrentChooser(), std::move(chooser));
}
