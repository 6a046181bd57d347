// What the programs write, checked against fixed facts rather than against
// the programs themselves: a fault that every path shares still shows.

#include "model/cell.h"
#include "batch/batch_run.h"
#include "sim/simulation.h"

#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <csetjmp>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using landuse::test::ReadAll;
using landuse::test::shell;
using landuse::test::ShellResult;

const std::string Runner = LANDUSE_RUN_EXE;
const std::string Batch = LANDUSE_BATCH_EXE;

ShellResult run(const std::string& args) { return shell(Runner + " " + args + " 2>&1"); }

// 64-bit FNV-1a: enough to tell two files apart, and needs no library.
std::string hashOf(const std::string& bytes)
{
    uint64_t h = 14695981039346656037ull;
    for (const unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// Every file below a folder by its relative path, with its hash.
std::map<std::string, std::string> hashesBelow(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file())
            files[fs::relative(e.path(), dir).generic_string()] = hashOf(ReadAll(e.path()));
    return files;
}

std::map<std::string, std::string> readGolden(const fs::path& file)
{
    std::map<std::string, std::string> golden;
    std::ifstream in(file);
    std::string name, hash;
    while (in >> name >> hash)
        golden[name] = hash;
    return golden;
}

std::string listing(const std::map<std::string, std::string>& files)
{
    std::string text;
    for (const auto& [name, hash] : files)
        text += name + " " + hash + "\n";
    return text;
}

// The quantisation tables of a JPEG, and its pixels as RGB triples.
struct JpegFacts {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<std::vector<int>> tables;
    std::vector<unsigned char> rgb;
};

struct JpegError {
    jpeg_error_mgr manager {};
    std::jmp_buf back {};
};

JpegFacts readJpeg(const std::string& bytes)
{
    JpegFacts facts;
    jpeg_decompress_struct info {};
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    // libjpeg is C: its errors come back by longjmp, never by an exception.
    error.manager.error_exit = [](j_common_ptr common) { std::longjmp(reinterpret_cast<JpegError*>(common->err)->back, 1); };
    jpeg_create_decompress(&info);
    if (setjmp(error.back) != 0) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    for (const JQUANT_TBL* table : info.quant_tbl_ptrs)
        if (table)
            facts.tables.emplace_back(table->quantval, table->quantval + DCTSIZE2);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    facts.width = int(info.output_width);
    facts.height = int(info.output_height);
    facts.rgb.resize(size_t(facts.width) * size_t(facts.height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = facts.rgb.data() + size_t(info.output_scanline) * size_t(facts.width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    facts.ok = true;
    return facts;
}

// Quality 100 makes every quantisation step 1: any lower quality has larger ones.
void expectQualityHundred(const JpegFacts& jpeg, const std::string& what)
{
    ASSERT_TRUE(jpeg.ok) << what;
    ASSERT_FALSE(jpeg.tables.empty()) << what;
    for (const std::vector<int>& table : jpeg.tables)
        EXPECT_EQ(table, std::vector<int>(DCTSIZE2, 1)) << what << " is not saved at quality 100";
}

// The fields of a CSV line.
std::vector<std::string> fieldsOf(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    return fields;
}

} // namespace

TEST(Outputs, OneSeededRunWritesTheRecordedBytes)
{
    // The whole output of one run of the runner and of one batch run, as
    // recorded once. A change here is a change of every saved result.
    const fs::path dir = landuse::test::FreshFolder("landuse-golden-");
    fs::create_directories(dir / "run");
    ShellResult r = run("--steps 200 --seed 5 --set CB_showAg=1 --stats " + (dir / "run/stats.csv").string() + " --ranksize "
            + (dir / "run/ranksize.csv").string() + " --picture " + (dir / "run/world.jpg").string() + " --data "
            + (dir / "run/data").string());
    ASSERT_EQ(r.status, 0) << r.output;
    r = shell(Batch + " repeat " + (dir / "batch").string() + " --runs 1 --seed 5 --set E_stop=200 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;

    std::map<std::string, std::string> actual = hashesBelow(dir / "run");
    for (const auto& [name, hash] : hashesBelow(dir / "batch" / "runs"))
        actual["batch/" + name] = hash;
    // run.json names the folder it was written to; the rest is compared whole.
    const std::string json = ReadAll(dir / "batch" / "runs" / "000000" / "run.json");
    actual["batch/000000/run.json"] = hashOf(std::regex_replace(json, std::regex(dir.string()), "OUT"));
    const std::map<std::string, std::string> golden
        = readGolden(fs::path(LANDUSE_TEST_FIXTURES) / "golden" / "outputs.txt");
    EXPECT_EQ(listing(actual), listing(golden));
}

TEST(Outputs, PicturesAreSavedAtQualityHundredInTheColoursOfTheirLandUse)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-colours-");
    ShellResult r = run("--steps 60 --seed 3 --picture " + (dir / "world.jpg").string() + " --set E_crServ=3");
    ASSERT_EQ(r.status, 0) << r.output;
    const JpegFacts picture = readJpeg(ReadAll(dir / "world.jpg"));
    expectQualityHundred(picture, "the runner's picture");
    ASSERT_EQ(picture.width, 404);

    // The same run in the process tells where each kind of land use lies;
    // its cells must show their own colours: residential green, destination
    // lime, service red, industry blue.
    landuse::Simulation sim(nullptr, 3);
    sim.Create();
    sim.controls().assign("E_crServ=3");
    ASSERT_TRUE(sim.NewSetup());
    for (int i = 0; i < 60; ++i)
        sim.Step();
    // Small cells blur into their neighbours in a JPEG, so each kind is
    // judged by the mean colour of all its pixels.
    std::map<int32_t, std::array<double, 3>> sum;
    std::map<int32_t, int> seen;
    const auto& cells = sim.world().Cells;
    for (int y = 0; y < cells.countY(); ++y) {
        for (int x = 0; x < cells.countX(); ++x) {
            const int32_t use = cells.at(x, y).LandUse;
            for (int py = y * 2; py < y * 2 + 2; ++py)
                for (int px = x * 2; px < x * 2 + 2; ++px)
                    for (int c = 0; c < 3; ++c)
                        sum[use][size_t(c)] += picture.rgb[(size_t(py) * 404 + size_t(px)) * 3 + size_t(c)];
            ++seen[use];
        }
    }
    const auto mean = [&](int32_t use, int channel) { return sum[use][size_t(channel)] / (4.0 * seen[use]); };
    for (const int32_t use : {landuse::Residential, landuse::Destination, landuse::Service, landuse::Industry})
        ASSERT_GT(seen[use], 10) << "land use " << use;
    // Residential green (0,128,0), destination lime (0,255,0), service red
    // (255,0,0), industry a blue (0,102,204).
    EXPECT_GT(mean(landuse::Residential, 1), mean(landuse::Residential, 0) + 40);
    EXPECT_GT(mean(landuse::Residential, 1), mean(landuse::Residential, 2) + 40);
    EXPECT_GT(mean(landuse::Destination, 1), 200);
    EXPECT_LT(mean(landuse::Destination, 0), 60);
    EXPECT_GT(mean(landuse::Service, 0), mean(landuse::Service, 2) + 100) << "service is not red";
    EXPECT_GT(mean(landuse::Industry, 2), mean(landuse::Industry, 0) + 100) << "industry is not blue";

    // The window's and the batch's saves go through the pictures folder.
    r = shell(Batch + " repeat " + (dir / "batch").string()
              + " --runs 1 --seed 3 --set E_stop=20 --set Edit_size=8 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    expectQualityHundred(readJpeg(ReadAll(dir / "batch" / "runs" / "000000" / "pictures" / "001_pic_1.jpg")),
                         "a saved world picture");
}

TEST(Outputs, BatchTablesKeepAPointAsDecimalSeparatorInAnyLocale)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-table-");
    const ShellResult r = shell("LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 " + Batch + " analysis1 " + dir.string()
                                + " --runs 2 --seed 4 --set E_toSteps=110 --set Edit_size=8 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    std::stringstream table(ReadAll(dir / "runs.csv"));
    std::string line;
    ASSERT_TRUE(std::getline(table, line));
    const size_t columns = fieldsOf(line).size();
    const std::regex number(R"(-?(\d+(\.\d+)?([eE][-+]?\d+)?|nan|inf)?)");
    int rows = 0, withPoint = 0;
    while (std::getline(table, line)) {
        ++rows;
        const std::vector<std::string> fields = fieldsOf(line);
        EXPECT_EQ(fields.size(), columns) << line;
        for (const std::string& f : fields) {
            EXPECT_TRUE(std::regex_match(f, number)) << "'" << f << "' in " << line;
            withPoint += f.find('.') != std::string::npos;
        }
    }
    EXPECT_EQ(rows, 2);
    EXPECT_GT(withPoint, 10) << "the drawn weights and shares have decimals";
}

TEST(Outputs, ARunJsonCutShortAnywhereIsNoCompletedRun)
{
    const fs::path dir = landuse::test::FreshFolder("landuse-cut-");
    const ShellResult r
        = shell(Batch + " repeat " + dir.string() + " --runs 1 --seed 2 --set E_stop=30 --set Edit_size=8 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    const fs::path folder = dir / "runs" / "000000";
    const std::string json = ReadAll(folder / "run.json");
    ASSERT_TRUE(landuse::RunIsComplete(folder));
    // Every length a crash or a full disk could leave behind.
    for (size_t length = 0; length < json.size(); ++length) {
        std::ofstream(folder / "run.json", std::ios::binary | std::ios::trunc) << json.substr(0, length);
        EXPECT_FALSE(landuse::RunIsComplete(folder)) << "run.json cut to " << length << " of " << json.size();
    }
    std::ofstream(folder / "run.json", std::ios::binary | std::ios::trunc) << json;
    EXPECT_TRUE(landuse::RunIsComplete(folder));
}

TEST(Outputs, DataIsOnTheDiskBeforeItsNameAndTheCompletionMarkComesLast)
{
    if (shell("command -v strace >/dev/null 2>&1").status != 0)
        GTEST_SKIP() << "strace is missing; run scripts/install-deps.sh";
    const fs::path dir = landuse::test::FreshFolder("landuse-sync-");
    const fs::path trace = dir / "trace.txt";
    const ShellResult r = shell("strace -f -qq -o " + trace.string() + " -e trace=openat,fsync,fdatasync,rename,close "
                                + Batch + " repeat " + (dir / "out").string()
                                + " --runs 1 --seed 2 --set E_stop=30 --set Edit_size=8 -j1 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;

    // Replays the trace: which descriptor names which file, which of them
    // were synced before they were closed, and in which order names were
    // given and folders synced.
    std::ifstream in(trace);
    std::string line;
    std::map<std::string, std::string> open;   // "pid fd" -> path
    std::map<std::string, bool> synced;        // ".part" path -> synced before close
    std::map<std::string, bool> syncedAtClose; // ".part" path
    std::vector<std::string> events;           // "rename <target>" and "dirsync <folder>"
    const std::regex openat(R"re(^(\d+) +openat\(AT_FDCWD, "([^"]+)", ([^)]*)\) = (\d+))re");
    const std::regex onFd(R"re(^(\d+) +(fsync|fdatasync|close)\((\d+)\) += 0)re");
    const std::regex rename(R"re(^(\d+) +rename\("([^"]+)", "([^"]+)"\) = 0)re");
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, openat)) {
            open[m[1].str() + " " + m[4].str()] = m[2];
        } else if (std::regex_search(line, m, onFd)) {
            const std::string key = m[1].str() + " " + m[3].str();
            const std::string path = open.count(key) ? open[key] : "";
            if (m[2] != "close") {
                if (path.ends_with(".part"))
                    synced[path] = true;
                else if (!path.empty())
                    events.push_back("dirsync " + path);
            } else {
                if (path.ends_with(".part"))
                    syncedAtClose[path] = synced[path];
                open.erase(key);
            }
        } else if (std::regex_search(line, m, rename)) {
            // A file renamed on again (batch.json) was synced under its first name.
            if (m[2].str().ends_with(".part")) {
                EXPECT_TRUE(syncedAtClose[m[2]]) << m[2] << " was renamed without being synced first";
            }
            events.push_back("rename " + m[3].str());
        }
    }
    const fs::path runDir = dir / "out" / "runs" / "000000";
    const auto at = [&](const std::string& event) {
        return std::find(events.begin(), events.end(), event) - events.begin();
    };
    const long mark = at("rename " + (runDir / "run.json").string());
    ASSERT_LT(mark, long(events.size())) << "run.json was never renamed into place";
    // Each file of the run is in place, and its folder synced, before the mark.
    for (const char* file : {"stats.csv", "ranksize.csv", "result.csv", "pictures/001_pic_1.jpg",
                                    "data/001_pic_3.xls", "data/001_pic_4.xls", "data/001_pic_5.xls"}) {
        const fs::path target = runDir / file;
        const long renamed = at("rename " + target.string());
        ASSERT_LT(renamed, mark) << file << " is not in place before run.json";
        const auto folderSync = std::find(events.begin() + renamed, events.end(),
                                          "dirsync " + target.parent_path().string());
        EXPECT_LT(folderSync - events.begin(), mark) << file << "'s folder is not synced before run.json";
    }
    EXPECT_NE(std::find(events.begin() + mark, events.end(), "dirsync " + runDir.string()), events.end())
        << "the folder of run.json is not synced after it";
}
