#include "ui/save_folder.h"

#include <unistd.h>

#include <system_error>
#include <vector>

namespace landuse::ui {

namespace fs = std::filesystem;

bool IsSystemFolder(const fs::path& folder)
{
    const fs::path path = folder.lexically_normal();
    std::vector<std::string> parts;
    for (const fs::path& part : path.relative_path())
        if (!part.empty())
            parts.push_back(part.string());
    if (path.is_absolute() && !parts.empty()) {
        const std::string& top = parts.front();
        if (top == "bin" || top == "sbin" || top == "usr" || top == "opt")
            return true;
    }
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        if (parts[i] != "usr")
            continue;
        size_t next = i + 1;
        if (parts[next] == "local" && next + 1 < parts.size())
            ++next;
        const std::string& kind = parts[next];
        if (kind == "bin" || kind == "sbin" || kind == "games" || kind == "lib" || kind == "libexec")
            return true;
    }
    return false;
}

fs::path ChooseSaveFolder(const fs::path& programFolder, const fs::path& documents)
{
    std::error_code ec;
    if (!programFolder.empty() && !IsSystemFolder(fs::absolute(programFolder, ec))
        && fs::is_directory(programFolder, ec) && ::access(programFolder.c_str(), W_OK) == 0)
        return programFolder;
    const fs::path own = documents / "landuse";
    fs::create_directories(own, ec);
    return own;
}

} // namespace landuse::ui
