#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace landuse {

// Writes the bytes to the file, replacing any file of that name. They go to
// a sibling file first and are renamed into place once complete, so a failed
// write leaves neither a partial file nor a damaged older one. Throws
// ExportError naming the file and the system's reason.
void WriteFileReplacing(const std::filesystem::path& file, std::string_view bytes);

// The whole file. Throws ExportError naming the file and the system's reason.
std::string ReadFileBytes(const std::filesystem::path& file);

// Creates the folder (and missing parents). Throws ExportError naming it.
void EnsureFolder(const std::filesystem::path& folder);

} // namespace landuse
