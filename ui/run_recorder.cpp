#include "ui/run_recorder.h"

#include "files/export_error.h"
#include "files/export_file.h"
#include "files/export_paths.h"
#include "model/numtext.h"

namespace landuse::ui {

std::filesystem::path RunRecorder::fileFor(const std::string& stem) const
{
    CheckExportStem(stem);
    return ExportFolderPath(programFolder_, ExportFolder::Pictures) / (stem + ".gif");
}

void RunRecorder::afterStep(bool wanted, bool running, const std::string& stem, int64_t step, SimHost& host)
{
    if (!wanted || !running || raster_.CellLayer().width == 0) {
        if (!running || !wanted)
            failed_ = false;
        return;
    }
    try {
        if (!file_ && !failed_) {
            const std::filesystem::path file = fileFor(stem);
            EnsureFolder(file.parent_path());
            file_ = std::make_unique<AnimationFile>(file, DefaultAnimationEvery);
        }
        if (file_ && file_->animation().due(step))
            file_->animation().addFrame(raster_, step);
    } catch (const std::exception& e) {
        file_.reset(); // leaves no .part behind
        failed_ = true;
        host.showMessage(e.what());
    }
}

void RunRecorder::finish(int64_t step, SimHost& host)
{
    failed_ = false;
    if (!file_)
        return;
    std::unique_ptr<AnimationFile> file = std::move(file_);
    try {
        WorldAnimation& animation = file->animation();
        if (raster_.CellLayer().width != 0 && animation.lastStep() != step)
            animation.addFrame(raster_, step);
        const int frames = animation.frames();
        file->commit();
        host.showInfo("recorded " + IntToStr(frames) + (frames == 1 ? " frame" : " frames") + " into "
                      + file->file().string());
    } catch (const std::exception& e) {
        host.showMessage(e.what());
    }
}

} // namespace landuse::ui
