#include "tools/common/tool_version.h"

// Given by the build from the project's version, in this file alone so that a new version
// recompiles one file.
#ifndef BREVANTO_VERSION
#error "BREVANTO_VERSION must be defined by the build"
#endif

std::string VersionText(std::string_view program) {
    return std::string(program) + " " + BREVANTO_VERSION;
}
