// Where the window saves: beside a program the user owns, else in a
// "landuse" folder of the user's documents.

#include "support/test_folder.h"
#include "ui/save_folder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;
using landuse::ui::ChooseSaveFolder;
using landuse::ui::IsSystemFolder;

TEST(SaveFolder, InstalledPlacesAreSystemFoldersAndBuildTreesAreNot)
{
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin", "/sbin", "/usr/games", "/opt/landuse/bin",
                               "/usr/lib/landuse", "/usr/bin/", "/usr/./bin", "/tmp/../usr/bin",
                               // a package unpacked into a staging root keeps its layout
                               "/tmp/root/usr/bin", "/srv/stage/usr/local/bin", "/tmp/root/usr/libexec/landuse"})
        EXPECT_TRUE(IsSystemFolder(folder)) << folder;
    for (const char* folder : {"/home/ana/landuse/build/app", "/tmp/landuse-0.1.0/bin", "/work/usr", "/srv/bin",
                               "/home/ana/usrbin", "/home/ana/optical/bin", "build/app", "usr"})
        EXPECT_FALSE(IsSystemFolder(folder)) << folder;
}

TEST(SaveFolder, BesideAProgramTheUserMayWriteBeside)
{
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    const fs::path program = root / "build" / "app";
    fs::create_directories(program);
    const fs::path documents = root / "Documents";
    EXPECT_EQ(ChooseSaveFolder(program, documents), program);
    // Nothing is made in the documents while the program's folder serves.
    EXPECT_FALSE(fs::exists(documents));
}

TEST(SaveFolder, InTheDocumentsForASystemOrMissingFolderMadeWhenMissing)
{
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    const fs::path documents = root / "home" / "Papers";
    const fs::path staged = root / "usr" / "bin";
    fs::create_directories(staged);
    struct Case {
        fs::path program;
        const char* why;
    } cases[] = {
        {staged, "an installed tree, writable or not"},
        {root / "gone", "a folder that does not exist"},
        {root / "file", "a file, not a folder"},
        {"", "no folder at all"},
    };
    std::ofstream(root / "file") << "x";
    for (const Case& c : cases) {
        fs::remove_all(root / "home");
        EXPECT_EQ(ChooseSaveFolder(c.program, documents), documents / "landuse") << c.why;
        EXPECT_TRUE(fs::is_directory(documents / "landuse")) << c.why;
    }
    // A folder already there is kept with what it holds.
    std::ofstream(documents / "landuse" / "kept") << "x";
    EXPECT_EQ(ChooseSaveFolder(staged, documents), documents / "landuse");
    EXPECT_TRUE(fs::exists(documents / "landuse" / "kept"));
}

// Runs `check` as an unprivileged user when the test runs as root (who may
// write into any folder): in a child process, its exit status the result.
bool asUser(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const uid_t nobody = 65534;
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SaveFolder, AFolderTheUserMayNotWriteSendsTheSavesToTheDocuments)
{
    const fs::path root = landuse::test::FreshFolder("save_folder_");
    fs::permissions(root, fs::perms::all);
    const fs::path documents = root / "Documents";
    const fs::path own = root / "own";
    const fs::path locked = root / "locked";
    for (const fs::path& folder : {documents, own, locked})
        fs::create_directories(folder);
    fs::permissions(documents, fs::perms::all);
    fs::permissions(own, fs::perms::all);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read
                                | fs::perms::others_exec | fs::perms::group_read | fs::perms::group_exec);
    if (::geteuid() != 0)
        fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(asUser([&] { return ChooseSaveFolder(locked, documents) == documents / "landuse"; }));
    EXPECT_TRUE(asUser([&] { return ChooseSaveFolder(own, documents) == own; }));
    fs::permissions(locked, fs::perms::owner_all, fs::perm_options::add);
}

} // namespace
