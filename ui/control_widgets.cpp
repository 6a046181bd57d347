#include "ui/control_widgets.h"

#include "ui/layout.h"
#include "model/register.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

namespace landuse::ui {

namespace {

QString text(const char* s) { return QString::fromUtf8(s); }

} // namespace

void ControlEdit::setInvalid(bool invalid)
{
    if (invalid_ == invalid)
        return;
    invalid_ = invalid;
    update();
}

void ControlEdit::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    if (!invalid_)
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(220, 0, 0), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

UpDownArrows::UpDownArrows(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QToolButton* arrow : {up_, down_}) {
        arrow->setArrowType(arrow == up_ ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFixedSize(15, 9);
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        column->addWidget(arrow);
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(up_, &QToolButton::clicked, this, [this] { emit stepped(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
    setFixedSize(15, 18);
}

// The in-place editor of a grid cell: what is typed goes to the register at
// once, and key releases in it count as key releases in the grid.
class WeightCellDelegate : public QStyledItemDelegate {
public:
    explicit WeightCellDelegate(WeightGridWidget* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const int col = index.column();
        const int row = index.row();
        connect(editor, &QLineEdit::textEdited, grid_,
                [this, col, row](const QString& typed) { emit grid_->cellTyped(col, row, typed); });
        editor->installEventFilter(const_cast<WeightCellDelegate*>(this));
        return editor;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
            emit grid_->keyReleased();
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    WeightGridWidget* grid_;
};

WeightGridWidget::WeightGridWidget(QWidget* parent) : QTableWidget(WeightGrid.rows, WeightGrid.columns, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    for (int c = 0; c < columnCount(); ++c)
        setColumnWidth(c, WeightGrid.columnWidth);
    for (int r = 0; r < rowCount(); ++r)
        setRowHeight(r, WeightGrid.rowHeight);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setShowGrid(WeightGrid.gridLines);
    setSelectionMode(WeightGrid.rangeSelect ? QAbstractItemView::ContiguousSelection
                                            : QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::AnyKeyPressed);
    setItemDelegate(new WeightCellDelegate(this));
    const QColor fixedColor = palette().color(QPalette::Button);
    for (int r = 0; r < rowCount(); ++r) {
        for (int c = 0; c < columnCount(); ++c) {
            auto* item = new QTableWidgetItem;
            if (c < WeightGrid.fixedColumns || r < WeightGrid.fixedRows) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixedColor);
            }
            setItem(r, c, item);
        }
    }
    setFixedSize(WeightGrid.columns * WeightGrid.columnWidth + 2 * frameWidth(),
                 WeightGrid.rows * WeightGrid.rowHeight + 2 * frameWidth());
    // An edit committed by Enter or by leaving the cell is a typed text too.
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!showing_)
            emit cellTyped(item->column(), item->row(), item->text());
    });
}

void WeightGridWidget::showText(int col, int row, const QString& shown)
{
    QTableWidgetItem* cell = item(row, col);
    if (!cell || cell->text() == shown)
        return;
    showing_ = true;
    cell->setText(shown);
    showing_ = false;
}

void WeightGridWidget::markInvalid(int col, int row, bool invalid)
{
    if (QTableWidgetItem* cell = item(row, col))
        cell->setBackground(invalid ? QColor(255, 200, 200) : palette().color(QPalette::Base));
}

void WeightGridWidget::keyReleaseEvent(QKeyEvent* event)
{
    QTableWidget::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased();
}

int EditWidth(const ControlDef& def)
{
    return def.textKind == TextKind::None ? 90 : 44;
}

QWidget* CreateControlWidget(const ControlDef& def, QWidget* parent)
{
    QWidget* widget = nullptr;
    switch (def.kind) {
    case ControlKind::Edit: {
        auto* edit = new ControlEdit(text(def.text), parent);
        edit->setFixedWidth(EditWidth(def));
        widget = edit;
        break;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text(def.label), parent);
        box->setChecked(def.value != 0);
        widget = box;
        break;
    }
    case ControlKind::RadioButton: {
        auto* radio = new QRadioButton(text(def.label), parent);
        // The register keeps one choice per frame, including "none".
        radio->setAutoExclusive(false);
        radio->setChecked(def.value != 0);
        widget = radio;
        break;
    }
    case ControlKind::ScrollBar: {
        auto* bar = new QScrollBar(Qt::Horizontal, parent);
        bar->setRange(def.minValue, def.maxValue);
        bar->setSingleStep(def.smallChange);
        bar->setPageStep(def.largeChange);
        bar->setValue(def.value);
        widget = bar;
        break;
    }
    case ControlKind::UpDown:
        widget = new UpDownArrows(parent);
        break;
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        for (const char* item : FieldNrItems)
            combo->addItem(text(item));
        combo->setCurrentIndex(def.value);
        combo->setFixedWidth(40);
        widget = combo;
        break;
    }
    case ControlKind::StringGrid:
        widget = new WeightGridWidget(parent);
        break;
    case ControlKind::Button:
        widget = new QPushButton(text(def.label), parent);
        break;
    case ControlKind::Label: {
        auto* label = new QLabel(text(def.text), parent);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    }
    widget->setObjectName(text(def.name));
    widget->setEnabled(def.enabled);
    return widget;
}

} // namespace landuse::ui
