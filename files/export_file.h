#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "files/export_error.h"

namespace landuse {

// Where the bytes for a file name go, decided before anything is opened so
// that several outputs can be checked against each other first.
struct OutputPlan {
    enum class Way {
        // "-" or /dev/stdout: the process's standard output.
        StandardOutput,
        // A pipe, device or other file that exists and is not a regular file,
        // or a file the process already has open (/dev/fd/N): written in
        // place, never renamed over.
        Direct,
        // A regular file, new or existing: written to a sibling ".part" file
        // that is renamed over it once complete.
        Replace,
    };

    std::filesystem::path file;   // as named
    Way way = Way::Replace;
    std::filesystem::path target; // the file with links resolved; for StandardOutput empty
    std::filesystem::path temp;   // Replace: target + ".part"
    bool exists = false;          // an existing file (or standard output): device and inode are set
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// Throws ExportError naming the file when it cannot be written there at all:
// a folder, a missing folder, a path through a file.
OutputPlan PlanOutput(const std::filesystem::path& file);

// Whether writing both would touch one file: the same file under any
// spelling or link, or a temporary file of one of them.
enum class OutputCollision { None, SameFile, TemporaryFile };
OutputCollision OutputsCollide(const OutputPlan& a, const OutputPlan& b);

// Thrown when a wait for a pipe was broken by a signal and the caller's
// interrupted() said to stop.
class OutputInterrupted : public ExportError {
public:
    using ExportError::ExportError;
};

// A file being written as its plan says. Every write, flush and close is
// checked; a full device fails with the system's reason. Until commit(), a
// replaced file keeps its old content, and an output that is never committed
// leaves no ".part" file behind. What went straight into a pipe or device
// cannot be taken back.
class OutputFile {
public:
    // Opens the file, or its temporary file; opening a pipe waits for a
    // reader. interrupted, when given, is asked whenever a signal breaks such
    // a wait: true ends it with OutputInterrupted.
    explicit OutputFile(OutputPlan plan, std::function<bool()> interrupted = {});
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    // Everything written reaches the file and the file is closed; a
    // replaced file is not renamed yet.
    void finish();
    // finish(), then the temporary file takes the file's name. The name is
    // checked once more first: only a regular file (or nothing) is renamed over.
    void commit();

    const OutputPlan& plan() const { return plan_; }

private:
    void openPipe(int flags);
    void flushBuffer();
    void waitOrStop(const std::filesystem::path& file);
    [[noreturn]] void fail(std::string_view action, const std::filesystem::path& file, int error);

    OutputPlan plan_;
    std::function<bool()> interrupted_;
    int fd_ = -1;
    bool ownsFd_ = false;
    bool finished_ = false;
    bool committed_ = false;
    std::string buffer_;
};

// Writes the bytes to the file through an OutputFile: a regular file is
// replaced whole or not at all, a pipe or device is written in place.
// Throws ExportError naming the file and the system's reason.
void WriteFileReplacing(const std::filesystem::path& file, std::string_view bytes);

// Gives the file its new name and waits until the rename is on the disk.
// Throws ExportError naming the new name.
void RenameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// The whole file. Throws ExportError naming the file and the system's reason.
std::string ReadFileBytes(const std::filesystem::path& file);

// Creates the folder (and missing parents). Throws ExportError naming it.
void EnsureFolder(const std::filesystem::path& folder);

} // namespace landuse
