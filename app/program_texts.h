#pragma once
// The texts of the three programs' command lines, in one table from which
// --help, the manual pages and the README check are all made, so that they
// cannot drift apart. A new option is one OptionText in its program's list
// (and its case in the parser); a new subcommand one CommandText and one
// UsageLine.

#include <string>
#include <string_view>
#include <vector>

namespace landuse {

// How an option shows in the synopsis.
enum class Appears {
    Required, // --steps N
    Optional, // [--seed S]
    Repeated, // [--set NAME=TEXT]...
    Hidden,   // --help, --version: listed, but not in the synopsis
};

struct OptionText {
    std::string_view flags;    // "--data", or "-j, --jobs": the first is the synopsis's
    std::string_view argument; // "DIR"; empty for a flag without a value
    std::string_view help;     // one paragraph
    Appears appears = Appears::Optional;
};

struct CommandText {
    std::string_view name; // "analysis1"
    std::string_view help;
};

// One form of the command: the words after the program's name, and whether
// the options follow them.
struct UsageLine {
    std::string_view operands;
    bool options = true;
};

// A further section of the manual page (EXIT STATUS, FILES, ...).
struct SectionText {
    std::string_view title;
    std::string_view text; // paragraphs apart by blank lines
};

struct ProgramText {
    std::string_view name;
    std::string_view summary; // the manual's NAME line, after "name - "
    std::vector<UsageLine> usages;
    std::string_view description; // paragraphs apart by blank lines
    std::vector<CommandText> commands;
    std::vector<OptionText> options;
    std::vector<SectionText> sections;
};

const ProgramText& WindowProgram();
const ProgramText& RunProgram();
const ProgramText& BatchProgram();
// All three, the window first.
std::vector<const ProgramText*> Programs();

// The version of this build, "0.1.0".
std::string_view ProgramVersion();

} // namespace landuse
