#pragma once
// Folders of a test's own for the files the program writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace landuse::test {

// An empty folder named after the running test, under the system's temporary folder.
inline std::filesystem::path FreshFolder(const std::string& prefix)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path()
        / (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// The names of the entries of a folder; none when it does not exist.
inline std::set<std::string> NamesIn(const std::filesystem::path& dir)
{
    std::set<std::string> names;
    if (std::filesystem::is_directory(dir))
        for (const std::filesystem::directory_entry& e : std::filesystem::directory_iterator(dir))
            names.insert(e.path().filename().string());
    return names;
}

// The whole file; empty when it cannot be read.
inline std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace landuse::test
