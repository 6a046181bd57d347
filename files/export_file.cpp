#include "files/export_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

namespace landuse {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t BufferSize = 64 * 1024;

[[noreturn]] void throwErrno(std::string_view action, const fs::path& file, int error)
{
    throw ExportError(FileErrorMessage(action, file, std::strerror(error)));
}

// A name for a file the process already has open. Opening it again gives a
// new file position, and renaming over it would take the file away from the
// one who opened it: such files are written in place.
bool namesOpenFile(const fs::path& absolute)
{
    if (absolute == "/dev/stderr")
        return true;
    const std::vector<fs::path> parts(absolute.begin(), absolute.end());
    if (parts.size() == 4 && parts[1] == "dev" && parts[2] == "fd")
        return true;
    return parts.size() == 5 && parts[1] == "proc" && parts[3] == "fd";
}

void setIdentity(OutputPlan& plan, const struct stat& st)
{
    plan.exists = true;
    plan.device = std::uint64_t(st.st_dev);
    plan.inode = std::uint64_t(st.st_ino);
}

// A rename is on the disk only once its folder is: without this a crash can
// leave the old name, or a completion mark without the data it vouches for.
void syncFolderOf(const fs::path& file)
{
    fs::path folder = file.parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwErrno("write", file, errno);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; they say so with EINVAL.
    if (result != 0 && error != EINVAL)
        throwErrno("write", file, error);
}

fs::path withPart(const fs::path& file)
{
    fs::path part = file;
    part += ".part";
    return part;
}

} // namespace

OutputPlan PlanOutput(const fs::path& file)
{
    OutputPlan plan;
    plan.file = file;
    if (file.empty())
        throwErrno("write", file, ENOENT);

    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec).lexically_normal();
    struct stat st {};
    if (file == "-" || absolute == "/dev/stdout") {
        if (::fstat(STDOUT_FILENO, &st) != 0)
            throwErrno("write", file, errno);
        plan.way = OutputPlan::Way::StandardOutput;
        setIdentity(plan, st);
        return plan;
    }

    if (::stat(file.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throwErrno("write", file, EISDIR);
        setIdentity(plan, st);
        if (!S_ISREG(st.st_mode) || namesOpenFile(absolute)) {
            plan.way = OutputPlan::Way::Direct;
            plan.target = file;
            return plan;
        }
        // Through links to the file itself, so that a link stays a link.
        plan.target = fs::canonical(file, ec);
        if (ec)
            throwErrno("write", file, ec.value());
        plan.way = OutputPlan::Way::Replace;
        plan.temp = withPart(plan.target);
        return plan;
    }
    if (errno != ENOENT)
        throwErrno("write", file, errno);

    // A new file, made where a link of that name points; its folder must
    // exist already.
    fs::path named = file;
    for (int hops = 0; hops < 40 && ::lstat(named.c_str(), &st) == 0 && S_ISLNK(st.st_mode); ++hops) {
        const fs::path to = fs::read_symlink(named, ec);
        if (ec)
            throwErrno("write", file, ec.value());
        named = to.is_absolute() ? to : named.parent_path() / to;
    }
    const fs::path name = named.filename();
    const fs::path folder = named.has_parent_path() ? named.parent_path() : fs::path(".");
    if (::stat(folder.c_str(), &st) != 0)
        throwErrno("write", file, errno);
    if (!S_ISDIR(st.st_mode))
        throwErrno("write", file, ENOTDIR);
    if (name.empty() || name == "." || name == "..")
        throwErrno("write", file, EISDIR);
    plan.target = fs::canonical(folder, ec) / name;
    if (ec)
        throwErrno("write", file, ec.value());
    plan.way = OutputPlan::Way::Replace;
    plan.temp = withPart(plan.target);
    return plan;
}

OutputCollision OutputsCollide(const OutputPlan& a, const OutputPlan& b)
{
    const auto same = [](const fs::path& x, const fs::path& y) { return !x.empty() && x == y; };
    if ((a.exists && b.exists && a.device == b.device && a.inode == b.inode) || same(a.target, b.target))
        return OutputCollision::SameFile;
    if (same(a.temp, b.target) || same(a.target, b.temp) || same(a.temp, b.temp))
        return OutputCollision::TemporaryFile;
    // Through a link the temporary file is the target's, but a file named as
    // the link's would be taken for a leftover of an unfinished run.
    const auto namedTemp = [](const OutputPlan& p) {
        return p.way == OutputPlan::Way::Replace ? withPart(fs::absolute(p.file).lexically_normal()) : fs::path();
    };
    const auto named = [](const OutputPlan& p) { return fs::absolute(p.file).lexically_normal(); };
    if (same(namedTemp(a), named(b)) || same(namedTemp(b), named(a)))
        return OutputCollision::TemporaryFile;
    return OutputCollision::None;
}

OutputFile::OutputFile(OutputPlan plan, std::function<bool()> interrupted)
    : plan_(std::move(plan)), interrupted_(std::move(interrupted))
{
    switch (plan_.way) {
    case OutputPlan::Way::StandardOutput:
        fd_ = STDOUT_FILENO;
        break;
    case OutputPlan::Way::Direct: {
        int flags = O_WRONLY | O_NOCTTY | O_CLOEXEC;
        struct stat st {};
        const bool known = ::stat(plan_.file.c_str(), &st) == 0;
        // A regular file here is one the process has open already: what its
        // owner wrote stays.
        if (known && S_ISREG(st.st_mode))
            flags |= O_APPEND;
        if (known && S_ISFIFO(st.st_mode)) {
            openPipe(flags);
        } else {
            while ((fd_ = ::open(plan_.file.c_str(), flags)) < 0) {
                if (errno != EINTR)
                    throwErrno("write", plan_.file, errno);
                waitOrStop(plan_.file);
            }
        }
        ownsFd_ = true;
        break;
    }
    case OutputPlan::Way::Replace: {
        // O_EXCL and O_NOFOLLOW: the temporary file is always one this run
        // made, never a link, pipe or device that happens to have its name.
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        fd_ = ::open(plan_.temp.c_str(), flags, 0666);
        int error = fd_ < 0 ? errno : 0;
        struct stat st {};
        if (error == EEXIST && ::lstat(plan_.temp.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            // Left by a run that was killed outright.
            if (::unlink(plan_.temp.c_str()) == 0) {
                fd_ = ::open(plan_.temp.c_str(), flags, 0666);
                error = fd_ < 0 ? errno : 0;
            }
        }
        if (fd_ < 0)
            throwErrno("write", error == EEXIST ? plan_.temp : plan_.file, error);
        ownsFd_ = true;
        if (plan_.exists && ::stat(plan_.target.c_str(), &st) == 0)
            (void)::fchmod(fd_, st.st_mode & 07777);
        break;
    }
    }
}

OutputFile::~OutputFile()
{
    if (ownsFd_ && fd_ >= 0)
        ::close(fd_);
    if (plan_.way == OutputPlan::Way::Replace && !committed_)
        ::unlink(plan_.temp.c_str());
}

void OutputFile::openPipe(int flags)
{
    // Waiting for a reader in a blocking open() would miss a signal that
    // came just before the call; asking again and again does not.
    while ((fd_ = ::open(plan_.file.c_str(), flags | O_NONBLOCK)) < 0) {
        if (errno != ENXIO && errno != EINTR)
            throwErrno("write", plan_.file, errno);
        waitOrStop(plan_.file);
        ::usleep(20000);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

void OutputFile::waitOrStop(const fs::path& file)
{
    if (interrupted_ && interrupted_())
        throw OutputInterrupted(FileErrorMessage("write", file, std::strerror(EINTR)));
}

void OutputFile::write(std::string_view bytes)
{
    if (finished_)
        throw std::logic_error("OutputFile::write after finish");
    buffer_.append(bytes);
    // A pipe's reader sees each piece as it comes, and a full device fails
    // at the first write rather than at the end.
    if (buffer_.size() >= BufferSize || plan_.way != OutputPlan::Way::Replace)
        flushBuffer();
}

void OutputFile::flushBuffer()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0) {
            done += std::size_t(n);
        } else if (n < 0 && errno == EINTR) {
            waitOrStop(plan_.file);
        } else {
            throwErrno("write", plan_.file, n < 0 ? errno : EIO);
        }
    }
    buffer_.clear();
}

void OutputFile::finish()
{
    if (finished_)
        return;
    flushBuffer();
    if (ownsFd_) {
        // A replaced file's data must be on the disk before its new name is.
        if (plan_.way == OutputPlan::Way::Replace && ::fsync(fd_) != 0 && errno != EINVAL)
            throwErrno("write", plan_.file, errno);
        const int fd = std::exchange(fd_, -1);
        // Some file systems report a failed write only here. EINTR still
        // closes the file on Linux and loses nothing.
        if (::close(fd) != 0 && errno != EINTR)
            throwErrno("write", plan_.file, errno);
    }
    finished_ = true;
}

void OutputFile::commit()
{
    finish();
    if (plan_.way == OutputPlan::Way::Replace && !committed_) {
        // Whatever took the name since the plan, only a regular file is
        // ever replaced.
        struct stat st {};
        if (::lstat(plan_.target.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            throw ExportError(FileErrorMessage("write", plan_.file, "it is no longer a regular file"));
        if (::rename(plan_.temp.c_str(), plan_.target.c_str()) != 0)
            throwErrno("write", plan_.file, errno);
        // The name is taken now, whether or not the folder syncs.
        committed_ = true;
        syncFolderOf(plan_.target);
    }
    committed_ = true;
}

void RenameDurably(const fs::path& from, const fs::path& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwErrno("write", to, errno);
    syncFolderOf(to);
}

void WriteFileReplacing(const fs::path& file, std::string_view bytes)
{
    OutputFile out(PlanOutput(file));
    out.write(bytes);
    out.commit();
}

std::string ReadFileBytes(const fs::path& file)
{
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f)
        throwErrno("read", file, errno);
    std::string bytes;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, got);
    const int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error != 0)
        throwErrno("read", file, error);
    return bytes;
}

void EnsureFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw ExportError(FileErrorMessage("create folder", folder, ec.message()));
    // create_directories reports nothing when a file already has the name.
    if (!fs::is_directory(folder, ec))
        throw ExportError(FileErrorMessage("create folder", folder, std::strerror(ENOTDIR)));
}

} // namespace landuse
