#include "analysis/export_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "analysis/export_error.h"

namespace landuse {

namespace {

[[noreturn]] void ThrowErrno(std::string_view action, const std::filesystem::path& file, int error)
{
    throw ExportError(FileErrorMessage(action, file, std::strerror(error)));
}

} // namespace

void WriteFileReplacing(const std::filesystem::path& file, std::string_view bytes)
{
    std::filesystem::path part = file;
    part += ".part";

    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f)
        ThrowErrno("write", file, errno);
    int error = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size())
        error = errno;
    // Buffered write errors (a full disk) only show when the file is closed.
    if (std::fclose(f) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(part.c_str(), file.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(part.c_str());
        ThrowErrno("write", file, error);
    }
}

std::string ReadFileBytes(const std::filesystem::path& file)
{
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        ThrowErrno("read", file, errno);
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    const int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error != 0)
        ThrowErrno("read", file, error);
    return bytes;
}

void EnsureFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec)
        throw ExportError(FileErrorMessage("create folder", folder, ec.message()));
    // create_directories reports nothing when a file already has the name.
    if (!std::filesystem::is_directory(folder, ec))
        throw ExportError(FileErrorMessage("create folder", folder, std::strerror(ENOTDIR)));
}

} // namespace landuse
