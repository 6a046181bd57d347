// The programs' option table against their parsers, their --help and
// --version, the manual pages and the README's usage lines.

#include "app/batch_options.h"
#include "app/run_options.h"
#include "app/usage_text.h"

#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace landuse;

namespace {

using Parser = std::function<void(int, char**)>;

// The parser's message for these arguments, or "accepted".
std::string parseMessage(const Parser& parse, std::vector<std::string> args)
{
    args.insert(args.begin(), "program");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    try {
        parse(int(argv.size()), argv.data());
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "accepted";
}

struct Program {
    const ProgramText& text;
    Parser parse;
    std::vector<std::string> before; // what the parser needs besides the option
    const char* exe;
};

std::vector<Program> programs()
{
    return {
        {WindowProgram(), [](int c, char** v) { ParseWindowOptions(c, v); }, {}, LANDUSE_WINDOW_EXE},
        {RunProgram(), [](int c, char** v) { ParseRunOptions(c, v); }, {"--steps", "1"}, LANDUSE_RUN_EXE},
        {BatchProgram(), [](int c, char** v) { ParseBatchOptions(c, v); }, {"repeat", "out"}, LANDUSE_BATCH_EXE},
    };
}

// "-j, --jobs" is "-j" and "--jobs".
std::vector<std::string> flagsOf(const OptionText& option)
{
    std::vector<std::string> flags;
    std::stringstream in{std::string(option.flags)};
    for (std::string flag; std::getline(in >> std::ws, flag, ',');)
        flags.push_back(flag);
    return flags;
}

// The README's indented lines from "    build/app/NAME " to the next line
// that is not indented deeper, each form joined into one line.
std::vector<std::string> readmeUsages(const std::string& readme, const std::string& name)
{
    std::vector<std::string> usages;
    std::stringstream in(readme);
    bool inBlock = false;
    for (std::string line; std::getline(in, line);) {
        const std::string lead = "    build/app/" + name + " ";
        if (line.rfind(lead, 0) == 0 || (line == "    build/app/" + name)) {
            usages.push_back(line.substr(std::string("    build/app/").size()));
            inBlock = true;
        } else if (inBlock && line.rfind("     ", 0) == 0) {
            (usages.back() += ' ') += line.substr(line.find_first_not_of(' '));
        } else {
            inBlock = false;
        }
    }
    return usages;
}

} // namespace

TEST(ProgramTexts, EveryOptionOfTheTableIsOneItsParserKnows)
{
    for (const Program& p : programs()) {
        for (const OptionText& option : p.text.options) {
            for (const std::string& flag : flagsOf(option)) {
                std::vector<std::string> args = p.before;
                args.push_back(flag);
                if (!option.argument.empty())
                    args.push_back("x");
                const std::string message = parseMessage(p.parse, args);
                EXPECT_EQ(message.find("unknown option"), std::string::npos) << p.text.name << " " << flag << ": "
                                                                             << message;
            }
        }
        // And the check can tell: an option of no table is refused.
        std::vector<std::string> args = p.before;
        args.push_back("--animation-of-nothing");
        EXPECT_NE(parseMessage(p.parse, args).find("unknown option"), std::string::npos) << p.text.name;
    }
}

TEST(ProgramTexts, HelpAndVersionAreTheTablesAndEndWithStatusZero)
{
    for (const Program& p : programs()) {
        // No display is needed: help comes before the window.
        const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= ";
        for (const char* flag : {"--help", "-h"}) {
            const test::ShellResult help = test::shell(env + p.exe + " " + flag + " 2>&1");
            EXPECT_EQ(help.status, 0) << p.text.name << " " << flag;
            EXPECT_EQ(help.output, HelpText(p.text)) << p.text.name << " " << flag;
        }
        const test::ShellResult version = test::shell(env + p.exe + " --version 2>&1");
        EXPECT_EQ(version.status, 0) << p.text.name;
        EXPECT_EQ(version.output, std::string(p.text.name) + " (landuse) " + std::string(ProgramVersion()) + "\n");
        EXPECT_TRUE(std::regex_match(version.output, std::regex(".* [0-9]+\\.[0-9]+\\.[0-9]+\n")))
            << version.output;
    }
}

TEST(ProgramTexts, HelpNamesEveryOptionAndCommandWithinSeventyNineColumns)
{
    for (const Program& p : programs()) {
        const std::string help = HelpText(p.text);
        EXPECT_EQ(help.rfind("usage: " + std::string(p.text.name) + " ", 0), 0u) << help;
        std::stringstream in(help);
        for (std::string line; std::getline(in, line);)
            EXPECT_LE(line.size(), 79u) << p.text.name << ": " << line;
        for (const OptionText& option : p.text.options) {
            std::string term(option.flags);
            if (!option.argument.empty())
                (term += ' ') += option.argument;
            // Beside its help, or above it when the term is long.
            const bool listed = help.find("\n  " + term + " ") != std::string::npos
                || help.find("\n  " + term + "\n") != std::string::npos;
            EXPECT_TRUE(listed) << p.text.name << ": " << term;
            // The help's first words, wherever the line breaks.
            const std::string first(option.help.substr(0, option.help.find(' ')));
            EXPECT_NE(help.find(first), std::string::npos) << first;
        }
        for (const CommandText& command : p.text.commands)
            EXPECT_NE(help.find("\n  " + std::string(command.name) + " "), std::string::npos) << command.name;
    }
    // An item of the synopsis never breaks at its blank.
    const std::string usage = UsageText(RunProgram());
    EXPECT_EQ(usage.find("[--ranksize\n"), std::string::npos) << usage;
    EXPECT_NE(usage.find("\n                   [--"), std::string::npos) << usage;
}

TEST(ProgramTexts, WrappingKeepsWordsWholeAndIndentsTheRest)
{
    EXPECT_EQ(Wrapped("one two three four", 9, "", "  "), "one two\n  three\n  four\n");
    EXPECT_EQ(Wrapped("averyveryverylongword x", 5, "> ", ". "), "> averyveryverylongword\n. x\n");
    EXPECT_EQ(Wrapped("  spaced \n out  ", 80, "", ""), "spaced out\n");
    EXPECT_EQ(Wrapped("", 80, "- ", ""), "- \n");
}

TEST(ProgramTexts, ManualPagesHoldEveryOptionInRoff)
{
    for (const Program& p : programs()) {
        const std::string page = ManPage(p.text);
        std::string upper(p.text.name);
        for (char& c : upper)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        std::string escapedUpper = std::regex_replace(upper, std::regex("-"), "\\-");
        EXPECT_EQ(page.rfind(".TH " + escapedUpper + " 1 ", 0), 0u) << page.substr(0, 80);
        for (const char* section : {"\n.SH NAME\n", "\n.SH SYNOPSIS\n", "\n.SH DESCRIPTION\n", "\n.SH OPTIONS\n"})
            EXPECT_NE(page.find(section), std::string::npos) << p.text.name << section;
        for (const OptionText& option : p.text.options) {
            const std::string roffFlags = std::regex_replace(std::string(option.flags), std::regex("-"), "\\-");
            EXPECT_NE(page.find(".TP\n\\fB" + roffFlags + "\\fR"), std::string::npos) << roffFlags;
        }
        // Text lines never start a request, and a backslash is always an escape of ours.
        std::stringstream in(page);
        for (std::string line; std::getline(in, line);) {
            if (line.empty())
                continue;
            if (line[0] == '.') {
                EXPECT_TRUE(std::regex_match(line, std::regex("\\.(TH|SH|TP|PP|HP|B|nh) ?.*"))) << line;
            }
            EXPECT_FALSE(std::regex_search(line, std::regex("\\\\[^-fe&]"))) << line;
        }
    }
    // A text line that starts with a dot is guarded.
    ProgramText dotted = RunProgram();
    dotted.description = ".part files\n\nC:\\temp";
    const std::string page = ManPage(dotted);
    EXPECT_NE(page.find("\n\\&.part files\n"), std::string::npos);
    EXPECT_NE(page.find("C:\\etemp"), std::string::npos);
}

TEST(ProgramTexts, TheReadmeGivesTheTablesUsageAndOptions)
{
    const std::string readme = test::ReadAll(LANDUSE_README);
    ASSERT_FALSE(readme.empty()) << LANDUSE_README;
    for (const Program& p : programs()) {
        EXPECT_EQ(readmeUsages(readme, std::string(p.text.name)), UsageLines(p.text)) << p.text.name;
    }
    // Each "- `--flag ARG`: ..." of the README is an option of the runner's table.
    std::map<std::string, std::string> runOptions;
    for (const OptionText& option : RunProgram().options)
        for (const std::string& flag : flagsOf(option))
            runOptions[flag] = std::string(option.argument);
    const std::regex bullet("\n- `(--[a-z-]+)( ([^`]*))?`:");
    int bullets = 0;
    for (auto it = std::sregex_iterator(readme.begin(), readme.end(), bullet); it != std::sregex_iterator(); ++it) {
        ++bullets;
        const std::string flag = (*it)[1];
        ASSERT_TRUE(runOptions.count(flag)) << flag;
        EXPECT_EQ((*it)[3].str(), runOptions[flag]) << flag;
    }
    EXPECT_GE(bullets, 5);
}
