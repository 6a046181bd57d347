#pragma once
// Helpers for the chart and export tests: fixtures, scratch folders and the
// external readers. The readers are installed by scripts/install-deps.sh; a
// missing one is a broken machine, so tests fail rather than skip.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace landuse::testing {

inline std::string ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << file;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string Fixture(const std::string& name)
{
    return ReadWholeFile(std::filesystem::path(LANDUSE_TEST_FIXTURES) / name);
}

// Hex pairs separated by blanks; '#' starts a comment up to the line end.
inline std::string BytesFromHex(const std::string& text)
{
    std::string bytes, line, word;
    std::istringstream lines(text);
    while (std::getline(lines, line)) {
        std::istringstream words(line.substr(0, line.find('#')));
        while (words >> word)
            bytes += char(std::stoi(word, nullptr, 16));
    }
    return bytes;
}

// Bytes as hex text, so a mismatch shows where it is.
inline std::string Hex(const std::string& bytes)
{
    std::string text;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", unsigned(c));
        text += b;
    }
    return text;
}

class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "landuse-export-XXXXXX").string();
        EXPECT_TRUE(mkdtemp(pattern.data())) << "cannot create a scratch folder";
        path_ = pattern;
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct CommandResult {
    int exitCode = -1;
    std::string output; // standard output; errors go to the test's stderr
};

inline CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline std::string Quoted(const std::filesystem::path& p)
{
    std::string quoted = "'";
    quoted += p.string();
    quoted += '\'';
    return quoted;
}

constexpr const char* PythonPath = "/usr/bin/python3";

// Runs a Python script on one file with the system Python, where xlrd lives.
inline CommandResult RunPython(const ScratchDir& scratch, const std::string& script, const std::filesystem::path& file)
{
    const std::filesystem::path scriptFile = scratch.path() / "reader.py";
    std::ofstream(scriptFile) << script;
    EXPECT_TRUE(std::filesystem::exists(PythonPath)) << PythonPath << " is missing; run scripts/install-deps.sh";
    std::string command = "PYTHONIOENCODING=utf-8 ";
    command += PythonPath;
    command += ' ';
    command += Quoted(scriptFile);
    command += ' ';
    command += Quoted(file);
    CommandResult result = RunCommand(command);
    EXPECT_EQ(result.exitCode, 0) << "the reader failed on " << file
                                  << " (is python3-xlrd installed? run scripts/install-deps.sh)";
    return result;
}

} // namespace landuse::testing
