#include "app/open_format_inputs.h"

#ifdef BREVANTO_HAVE_MZML
#include "mzml/open_format_route.h"
#endif

const processing::FormatRoute* DialogFormatRoute() {
#ifdef BREVANTO_HAVE_MZML
    // Checksums are checked: a file whose own checksum is wrong fails with that reason, as in
    // brevanto-batch without --ignore-checksums. The dialog has nowhere to show warnings.
    static const mzml::OpenFormatRoute route;
    return &route;
#else
    return nullptr;
#endif
}

bool HasOpenFormatExtension(const std::string& nativePath) {
#ifdef BREVANTO_HAVE_MZML
    return mzml::IsOpenFormatPath(nativePath);
#else
    (void)nativePath;
    return false;
#endif
}

QStringList BrowseNameFilters() {
    QStringList filters{QStringLiteral("Raw data files (*.raw)")};
#ifdef BREVANTO_HAVE_MZML
    filters.append(QStringLiteral("mzML and mzXML files (*.mzML *.mzXML *.mzML.gz *.mzXML.gz)"));
#endif
    filters.append(QStringLiteral("All files (*)"));
    return filters;
}
