#include "ui/rank_size_window.h"

#include "analysis/ranksize.h"
#include "ui/layout.h"
#include "ui/chart_view.h"
#include "ui/text_grid_model.h"
#include "ui/window_picture.h"
#include "ui/window_font.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableView>

namespace landuse::ui {

namespace {

QRect placeOf(const Placement& p) { return {p.left, p.top, p.width, p.height}; }

} // namespace

TForm2::TForm2(RankSizeWindow& state, QWidget* parent)
    : QWidget(parent), state_(state), rankSize_(new ChartView(&state.C_RankSize, this)),
      linear_(new ChartView(&state.C_Linear, this)), undoZoom_(new QPushButton(this)),
      model1_(new TextGridModel(state.SG_Ana1, this)), model2_(new TextGridModel(state.SG_Ana2, this)),
      gridFrames_(
          [this] {
              model1_->reload();
              model2_->reload();
          },
          nullptr, FollowMilliseconds)
{
    const RankSizeWindowLook& look = RankSizeWindowLayout;
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QString::fromUtf8(look.caption));
    QFont font = WindowFont(10);
    font.setPointSize(look.fontPointSize);
    setFont(font);
    setFixedSize(look.clientWidth, look.clientHeight);

    rankSize_->setObjectName(QString::fromUtf8(look.rankSize.name));
    rankSize_->setGeometry(placeOf(look.rankSize));
    linear_->setObjectName(QString::fromUtf8(look.linear.name));
    linear_->setGeometry(placeOf(look.linear));
    undoZoom_->setObjectName(QString::fromUtf8(look.undoZoom.name));
    undoZoom_->setText(QString::fromUtf8(look.undoZoomCaption));
    undoZoom_->setGeometry(placeOf(look.undoZoom));
    connect(undoZoom_, &QPushButton::clicked, this, &TForm2::B_undoZoomClick);
    ana1_ = makeGrid(look.ana1.name, model1_);
    ana1_->setGeometry(placeOf(look.ana1));
    ana2_ = makeGrid(look.ana2.name, model2_);
    ana2_->setGeometry(placeOf(look.ana2));

    rankSize_->setFlushInterval(FollowMilliseconds);
    linear_->setFlushInterval(FollowMilliseconds);
    gridsListener_ = state_.GridsChanged.add([this] { gridFrames_.changed(); });
}

TForm2::~TForm2() { state_.GridsChanged.remove(gridsListener_); }

QTableView* TForm2::makeGrid(const char* name, TextGridModel* model)
{
    const RankSizeWindowLook& look = RankSizeWindowLayout;
    auto* view = new QTableView(this);
    view->setObjectName(QString::fromUtf8(name));
    view->setModel(model);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(look.gridColumnWidth);
    view->horizontalHeader()->setMinimumSectionSize(1);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(1);
    view->verticalHeader()->setDefaultSectionSize(look.gridRowHeight);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    return view;
}

void TForm2::B_undoZoomClick()
{
    rankSize_->undoZoom();
    linear_->undoZoom();
}

QImage TForm2::picture()
{
    gridFrames_.flush();
    return WindowPicture(this, {rankSize_, linear_});
}

} // namespace landuse::ui
