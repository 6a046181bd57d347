// The "record" box of the Graphic page: the run as an animated GIF in the
// pictures folder, under the stem of E_pName, until the run stops.

#include "ui/main_window.h"

#include "analysis/step_label.h"
#include "ui/message_strip.h"
#include "ui/run_recorder.h"

#include "support/gif_decode.h"
#include "support/test_folder.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/eventually.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace landuse;
using namespace landuse::ui;

namespace {

using landuse::test::eventually;

namespace fs = std::filesystem;

struct Recording {
    explicit Recording(std::vector<std::string> settings)
        : folder(test::FreshFolder("landuse_record_")),
          form(WindowStart{3, std::move(settings), GridKernels::Best, folder})
    {
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void click(const char* name) { QTest::mouseClick(form.findChild<QAbstractButton*>(name), Qt::LeftButton); }
    bool running() { return form.timer().isActive(); }

    fs::path folder;
    TForm1 form;
};

int worstChannel(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width, PixelBox skip)
{
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (int(i % size_t(width)) < skip.width && int(i / size_t(width)) < skip.height)
            continue;
        for (int shift : {0, 8, 16})
            worst = std::max(worst, std::abs(int(a[i] >> shift & 0xFF) - int(b[i] >> shift & 0xFF)));
    }
    return worst;
}

} // namespace

TEST(RecordBox, RecordsTheRunUntilItStopsAtItsStopStep)
{
    Recording r({"Edit_size=10", "E_stop=35", "E_pName=growth_"});
    r.click("CB_record");
    ASSERT_TRUE(r.form.simulation().controls().checked(Ctl::CB_record));
    r.click("B_stop");
    ASSERT_TRUE(eventually([&] { return !r.running(); }, 20000));
    EXPECT_EQ(r.form.simulation().stepCount(), 35);
    const fs::path file = r.folder / "pictures" / "growth_.gif";
    EXPECT_EQ(test::NamesIn(r.folder / "pictures"), (std::set<std::string>{"growth_.gif"}));
    const test::DecodedGif gif = test::DecodeGif(test::ReadAll(file));
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.width, 404);
    EXPECT_EQ(gif.height, 404);
    ASSERT_EQ(gif.frames.size(), 4u) << "steps 10, 20, 30 and the stop at 35";
    // The last frame is the panel as it stands, up to the palette's lost bit.
    EXPECT_LE(worstChannel(gif.frames.back(), r.form.raster().Compose(), 404, StepLabelBox(35)), 1);
    EXPECT_GT(worstChannel(gif.frames[2], r.form.raster().Compose(), 404, StepLabelBox(35)), 1);
    EXPECT_NE(r.form.messages()->text().toStdString().find("recorded 4 frames into"), std::string::npos)
        << r.form.messages()->text().toStdString();
    // A run started again records anew, into the same name.
    r.click("B_stop");
    ASSERT_TRUE(eventually([&] { return r.form.simulation().stepCount() >= 50; }, 20000));
    r.click("B_stop");
    ASSERT_FALSE(r.running());
    EXPECT_FALSE(r.form.recorder().recording());
    EXPECT_EQ(test::NamesIn(r.folder / "pictures"), (std::set<std::string>{"growth_.gif"}));
    EXPECT_GE(test::DecodeGif(test::ReadAll(file)).frames.size(), 2u);
}

TEST(RecordBox, ClearingTheBoxEndsTheFileAndABadStemRecordsNothing)
{
    Recording r({"Edit_size=10", "E_stop=100000"});
    r.click("CB_record");
    r.click("B_stop");
    ASSERT_TRUE(eventually([&] { return r.form.simulation().stepCount() >= 25; }, 20000));
    ASSERT_TRUE(r.form.recorder().recording());
    EXPECT_EQ(test::NamesIn(r.folder / "pictures"), (std::set<std::string>{"001_pic_.gif.part"}));
    r.click("CB_record");
    EXPECT_FALSE(r.form.recorder().recording());
    EXPECT_TRUE(r.running()) << "the run goes on";
    EXPECT_EQ(test::NamesIn(r.folder / "pictures"), (std::set<std::string>{"001_pic_.gif"}));
    EXPECT_GE(test::DecodeGif(test::ReadAll(r.folder / "pictures" / "001_pic_.gif")).frames.size(), 3u);
    r.click("B_stop");

    // A stem that would lead out of the pictures folder: the message, no file.
    fs::remove_all(r.folder / "pictures");
    auto* stem = r.form.findChild<QLineEdit*>("E_pName");
    stem->setFocus();
    stem->selectAll();
    QTest::keyClicks(stem, "../out");
    ASSERT_EQ(r.form.simulation().controls().text(Ctl::E_pName), "../out");
    r.click("CB_record");
    const int32_t from = r.form.simulation().stepCount();
    r.click("B_stop");
    ASSERT_TRUE(eventually([&] { return r.form.simulation().stepCount() >= from + 15; }, 20000));
    r.click("B_stop");
    EXPECT_NE(r.form.messages()->text().toStdString().find("E_pName"), std::string::npos)
        << r.form.messages()->text().toStdString();
    EXPECT_FALSE(fs::exists(r.folder / "pictures" / "out.gif"));
    EXPECT_FALSE(fs::exists(r.folder / "out.gif"));
    EXPECT_FALSE(fs::exists(r.folder / "pictures" / "001_pic_.gif"));
}
