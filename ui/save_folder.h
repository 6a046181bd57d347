#pragma once
// Where the window's "pictures" and "data" folders go: beside the program,
// as always, where that is the user's own place (a build tree, an unpacked
// copy); for an installed program, whose folder is a system one, in a
// "landuse" folder of the user's documents instead.

#include <filesystem>

namespace landuse::ui {

// Whether programs in this folder are installed ones: /bin, /sbin, anything
// below /usr or /opt, and a usr/bin, usr/sbin, usr/games or usr/lib... folder
// anywhere (a package unpacked into a staging root keeps its layout).
bool IsSystemFolder(const std::filesystem::path& folder);

// `programFolder` when the user may write there and it is no system
// folder, else `documents`/landuse, made when missing (a folder that cannot
// be made is still named, so the save reports why it fails).
std::filesystem::path ChooseSaveFolder(const std::filesystem::path& programFolder,
                                       const std::filesystem::path& documents);

} // namespace landuse::ui
