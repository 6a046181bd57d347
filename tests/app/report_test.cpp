// landuse-batch report: the report of an experiment, read back from its
// HTML, its PNG files and the CSV files of the plotted points.

#include "support/shell.h"
#include "support/test_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using landuse::test::ReadAll;
using landuse::test::shell;
using landuse::test::ShellResult;

const std::string Batch = LANDUSE_BATCH_EXE;
const std::string Small = " --set Edit_size=8";
const std::vector<std::string> Measures = {"successful", "travel_time", "migrated", "returning", "slope",
                                           "correlation_r"};

ShellResult batch(const std::string& args) { return shell(Batch + " " + args + " 2>&1"); }

struct Image {
    int width = 0, height = 0;
    size_t points = 0;
};

// The report's pictures by file name, as index.html shows them.
std::map<std::string, Image> imagesOf(const std::string& html)
{
    std::map<std::string, Image> images;
    const std::regex img(R"re(<img src="([^"]+)" width="(\d+)" height="(\d+)" alt="[^"]*" data-points="(\d+)">)re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), img); it != std::sregex_iterator(); ++it)
        images[(*it)[1]] = {std::stoi((*it)[2]), std::stoi((*it)[3]), size_t(std::stoul((*it)[4]))};
    return images;
}

// A PNG file's width and height from its header; zeros when it is none.
std::pair<int, int> pngSize(const fs::path& file)
{
    const std::string bytes = ReadAll(file);
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    const auto word = [&](size_t at) {
        return int(uint8_t(bytes[at])) << 24 | int(uint8_t(bytes[at + 1])) << 16 | int(uint8_t(bytes[at + 2])) << 8
               | int(uint8_t(bytes[at + 3]));
    };
    return {word(16), word(20)};
}

std::vector<std::vector<std::string>> csvRows(const fs::path& file)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadAll(file));
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::string cell;
        std::istringstream cellsIn(line);
        while (std::getline(cellsIn, cell, ','))
            cells.push_back(cell);
        if (!line.empty() && line.back() == ',')
            cells.emplace_back();
        rows.push_back(cells);
    }
    return rows;
}

size_t columnOf(const std::vector<std::string>& header, const std::string& name)
{
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i] == name)
            return i;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

size_t count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// Every picture the page shows exists with the size the page gives it.
void expectPicturesAsShown(const fs::path& report, const std::map<std::string, Image>& images)
{
    for (const auto& [file, image] : images) {
        EXPECT_EQ(pngSize(report / file), std::make_pair(image.width, image.height)) << file;
        EXPECT_GT(image.width, 100) << file;
    }
}

const std::string Noise = " --seed 5 --set RB_serv=1 --set E_valTo2=3 --set E_incre=1 --set E_toSteps2=150";

TEST(BatchReport, ShowsEveryPlotAndTheTableOfASeededExperiment)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_report_");
    const ShellResult made = batch("analysis2 " + dir.string() + Noise + Small + " -j2 --report");
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_NE(made.output.find("report of 4 runs in " + (dir / "report" / "index.html").string()), std::string::npos)
        << made.output;
    const fs::path report = dir / "report";
    const std::string html = ReadAll(report / "index.html");
    const std::map<std::string, Image> images = imagesOf(html);

    std::set<std::string> expected = {"worlds.png", "time-successful.png", "time-travel_time.png",
                                      "time-migrated.png", "time-returning.png", "time-slope.png"};
    for (const std::string& m : Measures)
        expected.insert("NoiseServ-" + m + ".png");
    std::set<std::string> shown;
    for (const auto& [file, image] : images)
        shown.insert(file);
    EXPECT_EQ(shown, expected);
    expectPicturesAsShown(report, images);
    for (const std::string& m : Measures)
        EXPECT_EQ(images.at("NoiseServ-" + m + ".png").points, 4u) << m;
    EXPECT_EQ(images.at("worlds.png").points, 4u);
    EXPECT_EQ(images.at("time-successful.png").points, 150u) << "one mean per step";
    EXPECT_EQ(images.at("time-slope.png").points, 1u) << "one fit, at step 100";

    // The table: the rows of runs.csv, cell for cell.
    const auto runs = csvRows(dir / "runs.csv");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_NE(html.find("data-rows=\"4\""), std::string::npos);
    const size_t body = html.find("<tbody>");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(count(html.substr(body), "<tr>"), 4u);
    std::string firstRow = "<tr>";
    for (const std::string& cell : runs[1])
        firstRow += "<td>" + cell + "</td>";
    EXPECT_NE(html.find(firstRow + "</tr>"), std::string::npos) << firstRow;
    EXPECT_NE(html.find("All 4 runs are complete."), std::string::npos);
    EXPECT_EQ(html.find("http"), std::string::npos) << "the page needs no network";

    // One plot's points: those of runs.csv, in the order of the noise.
    const auto points = csvRows(report / "NoiseServ-successful.csv");
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[0], (std::vector<std::string>{"run", "NoiseServ", "successful"}));
    const size_t noise = columnOf(runs[0], "NoiseServ"), successful = columnOf(runs[0], "successful");
    for (size_t i = 1; i < points.size(); ++i) {
        const std::vector<std::string>& row = runs[size_t(std::stoul(points[i][0])) + 1];
        EXPECT_EQ(points[i][1], row[noise]);
        EXPECT_EQ(points[i][2], row[successful]);
        if (i > 1) {
            EXPECT_LT(std::stod(points[i - 1][1]), std::stod(points[i][1]));
        }
    }
    // The mean over time ends at the mean of the runs' final values.
    const auto mean = csvRows(report / "time-successful.csv");
    ASSERT_EQ(mean.size(), 151u);
    double sum = 0;
    for (size_t i = 1; i < runs.size(); ++i)
        sum += std::stod(runs[i][successful]);
    EXPECT_EQ(mean.back()[0], "150");
    EXPECT_NEAR(std::stod(mean.back()[1]), sum / 4, 1e-12);

    // Again, in a locale with a decimal comma: the same points, the old report replaced whole.
    fs::remove(report / "index.html");
    const ShellResult again = shell("LC_ALL=de_DE.UTF-8 " + Batch + " report " + dir.string() + " 2>&1");
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(csvRows(report / "NoiseServ-successful.csv"), points);
    EXPECT_TRUE(fs::exists(report / "index.html"));
    EXPECT_FALSE(fs::exists(dir / "report.part"));
    EXPECT_FALSE(fs::exists(dir / "report.old.part"));
}

TEST(BatchReport, SaysHowManyRunsAShardedExperimentStillMisses)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_report_");
    ASSERT_EQ(batch("analysis2 " + dir.string() + Noise + Small + " --shard 1/2").status, 0);
    const ShellResult r = batch("report " + dir.string());
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("report of 2 runs"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("2 of 4 runs missing"), std::string::npos) << r.output;
    const std::string html = ReadAll(dir / "report" / "index.html");
    EXPECT_NE(html.find("2 of 4 runs are missing (not complete yet): 000000 000002."), std::string::npos);
    EXPECT_NE(html.find("data-rows=\"2\""), std::string::npos);
    const auto images = imagesOf(html);
    expectPicturesAsShown(dir / "report", images);
    for (const std::string& m : Measures)
        EXPECT_EQ(images.at("NoiseServ-" + m + ".png").points, 2u) << m;
    const auto points = csvRows(dir / "report" / "NoiseServ-migrated.csv");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1][0], "1");
    EXPECT_EQ(points[2][0], "3");
}

TEST(BatchReport, GivesEachDrawnWeightOfAnalysisOneItsOwnAxis)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_report_");
    const ShellResult made = batch("analysis1 " + dir.string()
                                   + " --seed 9 --runs 3 --set CB_pop=1 --set CB_serv=1 --set CB_indu=0 --set E_toSteps=60" + Small);
    ASSERT_EQ(made.status, 0) << made.output;
    ASSERT_EQ(batch("report " + dir.string()).status, 0);
    const auto header = csvRows(dir / "runs.csv").at(0);
    const std::vector<std::string> weights(header.begin() + 2, header.begin() + std::ptrdiff_t(columnOf(header, "step")));
    ASSERT_EQ(weights.size(), 6u) << "three weights each of population and service";
    const auto images = imagesOf(ReadAll(dir / "report" / "index.html"));
    EXPECT_EQ(images.size(), weights.size() * Measures.size() + 6);
    for (const std::string& w : weights)
        for (const std::string& m : Measures) {
            const auto it = images.find(w + "-" + m + ".png");
            ASSERT_NE(it, images.end()) << w << " " << m;
            // No fit before step 100: the rank-size plots have no points.
            EXPECT_EQ(it->second.points, m == "slope" || m == "correlation_r" ? 0u : 3u) << w << " " << m;
        }
    expectPicturesAsShown(dir / "report", images);
}

TEST(BatchReport, RefusesAFolderThatIsNoExperimentInOneLine)
{
    const fs::path dir = landuse::test::FreshFolder("landuse_report_");
    fs::create_directories(dir / "empty");
    std::ofstream(dir / "file") << "x";
    fs::create_directories(dir / "other");
    std::ofstream(dir / "other" / "batch.json") << "{\n  \"name\": 1\n}\n";
    for (const char* folder : {"empty", "file", "missing", "other"}) {
        const ShellResult r = batch("report " + (dir / folder).string());
        EXPECT_EQ(r.status, 2) << folder;
        EXPECT_EQ(count(r.output, "\n"), 1u) << r.output;
        EXPECT_NE(r.output.find("is no experiment folder of landuse-batch"), std::string::npos) << r.output;
    }
    EXPECT_EQ(landuse::test::NamesIn(dir), (std::set<std::string>{"empty", "file", "other"}));
    EXPECT_TRUE(landuse::test::NamesIn(dir / "empty").empty());
    const ShellResult extra = batch("report " + dir.string() + " --seed 3");
    EXPECT_EQ(extra.status, 2);
    EXPECT_NE(extra.output.find("report takes only OUT_DIR"), std::string::npos) << extra.output;
}

} // namespace
