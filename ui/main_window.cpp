#include "ui/main_window.h"

#include "ui/layout.h"
#include "ui/compact_style.h"
#include "ui/chart_view.h"
#include "ui/message_strip.h"
#include "ui/rank_size_window.h"
#include "ui/register_binding.h"
#include "ui/run_recorder.h"
#include "ui/save_folder.h"
#include "ui/window_font.h"
#include "ui/window_picture.h"
#include "ui/world_view.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>

namespace landuse::ui {

namespace {

QRect placeOf(const Placement& p) { return {p.left, p.top, p.width, p.height}; }

} // namespace

// The window as the simulation's host: timer, caption, messages, pages.
class TForm1::Host : public SimHost {
public:
    explicit Host(TForm1& form) : form_(form) {}

    bool timerRunning() const override { return form_.timer_.isActive(); }
    void setTimer(bool on) override
    {
        if (on && !form_.timer_.isActive())
            form_.timer_.start();
        else if (!on) {
            form_.timer_.stop();
            // The run stopped: its recording is complete.
            form_.recorder_->finish(form_.sim_.stepCount(), *this);
        }
    }
    void setCaption(const std::string& text) override { form_.setWindowTitle(QString::fromStdString(text)); }
    void showMessage(const std::string& text) override
    {
        ++messages;
        fromStep = stepping;
        form_.messages_->showMessage(QString::fromStdString(text));
    }
    void showInfo(const std::string& text) override { form_.messages_->showInfo(QString::fromStdString(text)); }
    void showProgress(const std::string& text) override
    {
        form_.messages_->showStatus(QString::fromStdString(text));
    }
    void showRankSizeWindow() override
    {
        // Shown beside the main window, without waiting for it.
        form_.rankSize_->show();
        form_.rankSize_->raise();
    }
    RgbImage windowPicture(HostWindow window) override
    {
        return ToRgbImage(window == HostWindow::Main ? form_.picture() : form_.rankSize_->picture());
    }
    void showPage(int index) override { form_.pages_->setCurrentIndex(index); }
    std::filesystem::path programFolder() override
    {
        if (!form_.programFolder_.empty())
            return form_.programFolder_;
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return ChooseSaveFolder(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
                                QFile::encodeName(documents).toStdString());
    }

    size_t messages = 0; // every message so far
    bool stepping = false;
    bool fromStep = false; // the message on show came from a step

private:
    TForm1& form_;
};

TForm1::TForm1(const WindowStart& start, QWidget* parent)
    : QWidget(parent), host_(std::make_unique<Host>(*this)), sim_(host_.get(), start.seed),
      programFolder_(start.programFolder)
{
    sim_.setKernels(start.kernels);
    sim_.setPainter(&raster_);
    recorder_ = std::make_unique<RunRecorder>(raster_, host_->programFolder());
    buildWindow();
    connectButtons();
    FormCreate(start);
    // The rank-size window comes after the main window, hidden.
    rankSize_ = std::make_unique<TForm2>(sim_.rankSize());
    rankSize_->move(MainWindow.left + MainWindow.clientWidth + 8, MainWindow.top);
}

TForm1::~TForm1()
{
    timer_.stop();
    rankSize_.reset();
    // The binding listens to the simulation's register: it goes first.
    delete binding_;
    binding_ = nullptr;
}

void TForm1::buildWindow()
{
    const MainWindowLook& look = MainWindow;
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QString::fromUtf8(look.caption));
    setFont(WindowFont(look.fontPixelHeight));
    setFixedSize(look.clientWidth, look.clientHeight);
    move(look.left, look.top);

    // The panel's frame lies around its 404 by 404 pixels.
    panel_ = new WorldView(sim_, raster_, this);
    panel_->setGeometry(placeOf(look.panel).adjusted(-1, -1, 1, 1));
    messages_ = new MessageStrip(panel_);
    messages_->setGeometry(1, look.panel.height - 46, look.panel.width, 46);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QString::fromUtf8(look.pages.name));
    pages_->setGeometry(placeOf(look.pages));
    pages_->setUsesScrollButtons(false);
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(pages_);
    pages_->tabBar()->setStyle(tabStyle);
    for (const char* name : PageNames) {
        auto* page = new QWidget(pages_);
        page->setObjectName(QString::fromUtf8(name));
        BuildControls(name, page, widgets_);
        pages_->addTab(page, QString::fromUtf8(name));
    }
    pages_->setCurrentIndex(FrontPageAtStart);

    auto* steps = new QWidget(this);
    steps->setGeometry(placeOf(look.timesteps));
    BuildControls("", steps, widgets_);

    chart_ = new ChartView(&sim_.chart1(), this);
    chart_->setObjectName(QString::fromUtf8(look.chart.name));
    chart_->setGeometry(placeOf(look.chart));

    binding_ = new RegisterBinding(sim_.controls());
    for (size_t i = 0; i < ControlCount; ++i)
        if (widgets_[i] && ControlDefOf(Ctl(i)).kind != ControlKind::Button)
            binding_->bind(Ctl(i), widgets_[i]);

    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(1);
    connect(&timer_, &QTimer::timeout, this, [this] {
        // Steps follow each other within a tick until the tick's time is
        // used up or the timer stops: a pass through the event loop per
        // step would cost more than the step. Events wait at most a tick.
        QElapsedTimer tick;
        tick.start();
        do
            Timer1Timer();
        while (timer_.isActive() && tick.elapsed() < TickMilliseconds);
    });
    connect(panel_, &WorldView::painted, this, [this] { panel_->refresh(); });
}

void TForm1::connectButtons()
{
    const auto on = [this](Ctl id, auto command) {
        auto* button = qobject_cast<QPushButton*>(widgets_[size_t(id)]);
        connect(button, &QPushButton::clicked, this, [this, command] {
            command();
            panel_->refresh();
        });
    };
    on(Ctl::B_setup, [this] { sim_.NewSetup(); });
    on(Ctl::B_stop, [this] { sim_.StartStop(); });
    on(Ctl::B_oneStep, [this] { Timer1Timer(); });
    on(Ctl::B_reset, [this] { sim_.ResetValues(); });
    on(Ctl::B_repaint, [this] { sim_.RepaintAll(); });
    on(Ctl::B_rankSize, [this] { sim_.ShowRankSize(); });
    on(Ctl::B_saveBmp, [this] { sim_.SaveBmp(); });
    on(Ctl::B_saveXML, [this] { sim_.SaveXls(); });
    // A display option redraws at once (the simulation's handlers do it).
    sim_.controls().addEventListener([this](Ctl id, ControlEvent) {
        if (id == Ctl::CB_record && !sim_.controls().checked(Ctl::CB_record))
            recorder_->finish(sim_.stepCount(), *host_);
        panel_->refresh();
    });
}

void TForm1::FormCreate(const WindowStart& start)
{
    sim_.Create();
    for (const std::string& setting : start.settings)
        sim_.controls().assign(setting);
    // Settings given at start take effect in a world built from them.
    if (!start.settings.empty())
        sim_.NewSetup();
}

void TForm1::Timer1Timer()
{
    const size_t before = host_->messages;
    host_->stepping = true;
    sim_.Step();
    host_->stepping = false;
    recorder_->afterStep(sim_.controls().checked(Ctl::CB_record), timer_.isActive(), sim_.controls().text(Ctl::E_pName),
                         sim_.stepCount(), *host_);
    // A step's message goes as soon as a later step reads its control
    // without failing; other messages stay their few seconds.
    if (host_->messages == before && host_->fromStep)
        messages_->clearMessage();
    panel_->refresh();
}

QImage TForm1::picture()
{
    // The strip speaks to the user at the screen, not in the saved picture,
    // where it would hide the bottom of the world.
    const bool strip = messages_->isVisible();
    messages_->hide();
    // The labels as the register holds them, not as the last frame showed them.
    binding_->flushLabels();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QImage image = WindowPicture(this, {chart_});
    if (strip)
        messages_->show();
    return image;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // FormDestroy: the world goes with the window, and the program with it.
    timer_.stop();
    recorder_->finish(sim_.stepCount(), *host_);
    rankSize_->close();
    sim_.FreeWorld();
    QWidget::closeEvent(event);
}

} // namespace landuse::ui
