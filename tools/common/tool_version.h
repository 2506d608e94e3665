#pragma once

#include <string>
#include <string_view>

// "<program> <version>", the version being the project's, for every program's --version.
std::string VersionText(std::string_view program);
