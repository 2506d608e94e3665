#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/browse_record.h"
#include "app/filter_dlg.h"
#include "app/input_paths.h"
#include "app/list_file_dialog.h"
#include "app/profile.h"
#include "processing/input_list_file.h"
#include "processing/output_path.h"

void CFilterDlg::OnAdd() {
    if (Busy()) {
        return;
    }
    // Read anew on every click: another instance may have written it since.
    const QString lastDirectory = ReadLastDirectory();
    if (IsLeftControlHeld(controlKeys)) {
        AddFromListFile(lastDirectory);
    } else {
        AddFromBrowseDialog(lastDirectory);
    }
    UpdateData(true);
}

void CFilterDlg::AddFromListFile(const QString& lastDirectory) {
    const QString chosen = ChooseListFile(this, lastDirectory + QStringLiteral("*.txt"));
    if (chosen.isEmpty()) {
        return;
    }
    // A file that cannot be read adds nothing and leaves the last directory as it was.
    const std::string path = ToNativePath(chosen);
    std::vector<std::string> lines;
    if (!processing::ReadInputListFile(path, lines)) {
        return;
    }
    const processing::PathParts parts = processing::SplitPath(path);
    const std::string listFolder = parts.drive + parts.directory;
    // The original platform's file dialog made the list file's folder the current directory,
    // so relative lines named files beside the list; the process's current directory is left
    // alone here and the lines are resolved against that folder instead.
    for (const std::string& line : lines) {
        InsertAtTop(ResolveListLine(line, listFolder));
    }
    WriteLastDirectory(FromNativePath(listFolder));
}

void CFilterDlg::AddFromBrowseDialog(const QString& lastDirectory) {
    BrowseRecord record{};
    // A stored directory that does not fit starts the dialog in the home directory.
    CopyToField(ToNativePath(lastDirectory), record.directory, sizeof record.directory);
    const std::uint32_t browseOptions = kBrowseStartInDirectory;
    if (BroFileOpen(0, &record, &browseOptions, "Select Input Raw File") == 0) {
        return;
    }
    InsertAtTop(JoinBrowseRecord(record));
    WriteLastDirectory(FromNativePath(FieldText(record.directory, sizeof record.directory)));
}
