#include "app/usage_text.h"

#include <algorithm>

namespace landuse {

namespace {

constexpr size_t Width = 79;

std::vector<std::string_view> words(std::string_view text)
{
    std::vector<std::string_view> result;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\n'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\n')
            ++i;
        if (i > start)
            result.push_back(text.substr(start, i - start));
    }
    return result;
}

std::vector<std::string_view> paragraphs(std::string_view text)
{
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const size_t end = text.find("\n\n");
        result.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 2);
    }
    return result;
}

// "--steps" of "-j, --jobs" is "-j".
std::string_view synopsisFlag(const OptionText& option) { return option.flags.substr(0, option.flags.find(',')); }

std::string synopsisItem(const OptionText& option)
{
    std::string item(synopsisFlag(option));
    if (!option.argument.empty())
        (item += ' ') += option.argument;
    switch (option.appears) {
    case Appears::Required:
    case Appears::Hidden:
        return item;
    case Appears::Optional:
        return "[" + item + "]";
    case Appears::Repeated:
        return "[" + item + "]...";
    }
    return item;
}

std::string term(const OptionText& option)
{
    std::string text(option.flags);
    if (!option.argument.empty())
        (text += ' ') += option.argument;
    return text;
}

// The synopsis's items of one usage line, after the program's name.
std::vector<std::string> usageItems(const ProgramText& program, const UsageLine& usage)
{
    std::vector<std::string> items;
    for (std::string_view w : words(usage.operands))
        items.emplace_back(w);
    if (usage.options)
        for (const OptionText& option : program.options)
            if (option.appears != Appears::Hidden)
                items.push_back(synopsisItem(option));
    return items;
}

// Pieces whole on each line: an item such as "[--ranksize FILE]" never
// breaks at its blank.
std::string wrapPieces(const std::vector<std::string_view>& pieces, size_t width, std::string_view first,
                       std::string_view rest)
{
    std::string out(first);
    size_t column = first.size();
    bool lineEmpty = true;
    for (std::string_view piece : pieces) {
        if (!lineEmpty && column + 1 + piece.size() > width) {
            out += '\n';
            out += rest;
            column = rest.size();
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++column;
        }
        out += piece;
        column += piece.size();
        lineEmpty = false;
    }
    return out + "\n";
}

struct Listed {
    std::string term;
    std::string_view help;
};

// "  term   help" with the help in one column, or below a long term.
std::string listing(const std::vector<Listed>& entries)
{
    constexpr size_t MaxColumn = 24;
    size_t column = 0;
    for (const Listed& e : entries)
        if (2 + e.term.size() + 2 <= MaxColumn)
            column = std::max(column, 2 + e.term.size() + 2);
    const std::string indent(column, ' ');
    std::string out;
    for (const Listed& e : entries) {
        std::string head = "  " + e.term;
        if (head.size() + 2 <= column) {
            head.resize(column, ' ');
            out += Wrapped(e.help, Width, head, indent);
        } else {
            out += head + "\n" + Wrapped(e.help, Width, indent, indent);
        }
    }
    return out;
}

// Roff text: backslashes and minus signs escaped, no line starting a request.
std::string roff(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return out;
}

std::string roffParagraphs(std::string_view text)
{
    std::string out;
    bool first = true;
    for (std::string_view p : paragraphs(text)) {
        if (!first)
            out += ".PP\n";
        out += roff(p) + "\n";
        first = false;
    }
    return out;
}

// "\fB--data\fR \fIDIR\fR"
std::string roffTerm(const OptionText& option)
{
    std::string out = "\\fB" + roff(option.flags) + "\\fR";
    if (!option.argument.empty())
        out += " \\fI" + roff(option.argument) + "\\fR";
    return out;
}

} // namespace

std::string Wrapped(std::string_view text, size_t width, std::string_view first, std::string_view rest)
{
    return wrapPieces(words(text), width, first, rest);
}

std::vector<std::string> UsageLines(const ProgramText& program)
{
    std::vector<std::string> lines;
    for (const UsageLine& usage : program.usages) {
        std::string line(program.name);
        for (const std::string& item : usageItems(program, usage))
            line += " " + item;
        lines.push_back(line);
    }
    return lines;
}

std::string UsageText(const ProgramText& program)
{
    std::string out;
    const std::string name(program.name);
    for (size_t i = 0; i < program.usages.size(); ++i) {
        const std::string lead = (i == 0 ? "usage: " : "       ") + name + " ";
        const std::vector<std::string> items = usageItems(program, program.usages[i]);
        out += wrapPieces({items.begin(), items.end()}, Width, lead, std::string(lead.size(), ' '));
    }
    return out;
}

std::string HelpText(const ProgramText& program)
{
    std::string out = UsageText(program);
    for (std::string_view p : paragraphs(program.description))
        (out += '\n') += Wrapped(p, Width, "", "");
    if (!program.commands.empty()) {
        std::vector<Listed> commands;
        for (const CommandText& c : program.commands)
            commands.push_back({std::string(c.name), c.help});
        out += "\ncommands:\n" + listing(commands);
    }
    std::vector<Listed> options;
    for (const OptionText& o : program.options)
        options.push_back({term(o), o.help});
    out += "\noptions:\n" + listing(options);
    return out;
}

std::string VersionText(const ProgramText& program)
{
    return std::string(program.name) + " (landuse) " + std::string(ProgramVersion()) + "\n";
}

std::string ManPage(const ProgramText& program)
{
    const std::string name = roff(program.name);
    std::string out = ".TH " + upper(name) + " 1 \"\" \"landuse " + roff(ProgramVersion()) + "\" \"User Commands\"\n";
    // No hyphenation: option names and values must stay whole to be typed.
    out += ".nh\n";
    out += ".SH NAME\n" + name + " \\- " + roff(program.summary) + "\n";
    out += ".SH SYNOPSIS\n";
    for (const UsageLine& usage : program.usages) {
        out += ".HP\n\\fB" + name + "\\fR";
        for (std::string_view w : words(usage.operands))
            out += " \\fI" + roff(w) + "\\fR";
        if (usage.options) {
            for (const OptionText& option : program.options) {
                if (option.appears == Appears::Hidden)
                    continue;
                std::string item = "\\fB" + roff(synopsisFlag(option)) + "\\fR";
                if (!option.argument.empty())
                    item += " \\fI" + roff(option.argument) + "\\fR";
                if (option.appears == Appears::Optional)
                    item = "[" + item + "]";
                else if (option.appears == Appears::Repeated)
                    item = "[" + item + "]...";
                out += " " + item;
            }
        }
        out += "\n";
    }
    out += ".SH DESCRIPTION\n" + roffParagraphs(program.description);
    if (!program.commands.empty()) {
        out += ".SH COMMANDS\n";
        for (const CommandText& c : program.commands)
            out += ".TP\n.B " + roff(c.name) + "\n" + roff(c.help) + "\n";
    }
    out += ".SH OPTIONS\n";
    for (const OptionText& o : program.options)
        out += ".TP\n" + roffTerm(o) + "\n" + roff(o.help) + "\n";
    for (const SectionText& s : program.sections)
        out += ".SH " + roff(s.title) + "\n" + roffParagraphs(s.text);
    return out;
}

} // namespace landuse
