#include "sim/simulation.h"

#include "files/export_error.h"
#include "files/export_paths.h"
#include "files/export_pictures.h"

namespace landuse {

namespace {

std::string listOfNames(const std::vector<std::filesystem::path>& files)
{
    if (files.empty())
        return "nothing";
    std::string names;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0)
            names += i + 1 == files.size() ? " and " : ", ";
        names += files[i].filename().string();
    }
    return names;
}

} // namespace

std::vector<std::filesystem::path> Simulation::SavePictures()
{
    const std::filesystem::path folder = host_->programFolder();
    std::vector<std::filesystem::path> written;
    const std::pair<int, HostWindow> windows[] = {{1, HostWindow::Main}, {2, HostWindow::RankSize}};
    for (const auto& [suffix, window] : windows) {
        const std::string stem = Register.text(Ctl::E_pName);
        // A host without that window has no picture of it to save.
        const RgbImage picture = host_->windowPicture(window);
        if (picture.width == 0)
            continue;
        SavePicture(folder, stem, suffix, picture);
        written.push_back(ExportFileName(folder, ExportFolder::Pictures, stem, suffix, ".jpg"));
    }
    return written;
}

std::vector<WrittenFile> Simulation::SaveSeriesData()
{
    return landuse::SaveSeriesData(host_->programFolder(), Register.text(Ctl::E_pName), RankSize.C_RankSize,
                                   RankSize.C_Linear, Chart1);
}

void Simulation::SaveBmp()
{
    try {
        const std::vector<std::filesystem::path> files = SavePictures();
        host_->showInfo("Saved " + listOfNames(files)
                        + (files.empty() ? "" : " in " + files.front().parent_path().string()));
    } catch (const std::exception& e) {
        report(e.what());
    }
}

void Simulation::SaveXls()
{
    try {
        const std::vector<WrittenFile> written = SaveSeriesData();
        std::vector<std::filesystem::path> files;
        for (const WrittenFile& f : written)
            files.push_back(f.file);
        std::string text = "Saved " + listOfNames(files) + " in " + files.front().parent_path().string();
        const std::string omissions = DescribeOmissions(written);
        if (!omissions.empty())
            text += "; " + omissions.substr(0, omissions.size() - 1);
        host_->showInfo(text);
    } catch (const std::exception& e) {
        report(e.what());
    }
}

} // namespace landuse
