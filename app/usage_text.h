#pragma once
// The forms a program's texts take: --help, the usage after a bad option,
// --version and the manual page, all made from its ProgramText.

#include "app/program_texts.h"

#include <string>
#include <vector>

namespace landuse {

// Each form of the command on one line: "landuse-run --steps N [--seed S] ...".
std::vector<std::string> UsageLines(const ProgramText& program);

// "usage: " and the usage lines, wrapped to 79 columns.
std::string UsageText(const ProgramText& program);

// The usage, the description, the commands and the options.
std::string HelpText(const ProgramText& program);

// "landuse-run (landuse) 0.1.0\n".
std::string VersionText(const ProgramText& program);

// The manual page in section 1, as roff with the man macros.
std::string ManPage(const ProgramText& program);

// `text` broken into lines of at most `width` columns (words longer stay
// whole), the first line indented by `first`, the rest by `rest`.
std::string Wrapped(std::string_view text, size_t width, std::string_view first, std::string_view rest);

} // namespace landuse
