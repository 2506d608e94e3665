#pragma once

#include <QStringList>
#include <string>

namespace processing {
class FormatRoute;
}  // namespace processing

// The inputs the dialog takes besides raw data files: mzML and mzXML files, plain or gzipped.
// How each input of a run is processed is decided by CFilterJob alone, through the route below,
// which is the one brevanto-batch plugs in; this file only says which names the dialog offers
// and takes, and hands the route over. A build without the open formats has no route and takes
// raw data files only.

// The route of the dialog's runs, or null when the program was built without the open formats.
const processing::FormatRoute* DialogFormatRoute();

// True when a dropped path names an open-format file: its name ends in ".mzML", ".mzXML",
// ".mzML.gz" or ".mzXML.gz", in any letter case. Always false without the open formats.
bool HasOpenFormatExtension(const std::string& nativePath);

// The browse dialog's file types, the first one shown at the start: raw data files, the open
// formats (when built with them) and all files.
QStringList BrowseNameFilters();
