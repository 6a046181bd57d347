#include "ui/register_binding.h"

#include "ui/layout.h"
#include "ui/control_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace landuse::ui {

namespace {

QString qt(const std::string& s) { return QString::fromStdString(s); }

} // namespace

RegisterBinding::RegisterBinding(ParamRegister& reg, QObject* parent)
    : QObject(parent), reg_(reg), labelFrames_([this] { showLabels(); }, this)
{
    listener_ = reg_.addStateListener([this](const StateNotice& notice) { onNotice(notice); });
}

RegisterBinding::~RegisterBinding() { reg_.removeListener(listener_); }

void RegisterBinding::bind(Ctl id, QWidget* widget)
{
    widgets_[size_t(id)] = widget;
    ParamRegister& reg = reg_;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        connect(edit, &QLineEdit::textEdited, this,
                [&reg, id](const QString& typed) { reg.setText(id, typed.toStdString()); });
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        // Clicking the chosen button again chooses it again; it never turns it off.
        connect(radio, &QRadioButton::clicked, this, [this, &reg, id] {
            reg.setChecked(id, true);
            show(id);
        });
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        connect(box, &QCheckBox::clicked, this, [&reg, id](bool on) { reg.setChecked(id, on); });
    } else if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        connect(bar, &QScrollBar::valueChanged, this, [&reg, id](int value) { reg.setPosition(id, value); });
    } else if (auto* arrows = qobject_cast<UpDownArrows*>(widget)) {
        const int step = ControlDefOf(id).smallChange;
        connect(arrows, &UpDownArrows::stepped, this,
                [&reg, id, step](int delta) { reg.setPosition(id, reg.position(id) + delta * step); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, &QComboBox::activated, this, [&reg, id](int index) { reg.setItemIndex(id, index); });
    } else if (auto* grid = qobject_cast<WeightGridWidget*>(widget)) {
        connect(grid, &WeightGridWidget::cellTyped, this, [&reg](int col, int row, const QString& typed) {
            reg.setGridText(col, row, typed.toStdString());
        });
        connect(grid, &WeightGridWidget::keyReleased, this, [&reg] { reg.gridKeyUp(); });
        for (int c = 0; c < GridCols; ++c)
            for (int r = 0; r < GridRows; ++r)
                showCell(c, r);
        return;
    }
    show(id);
}

void RegisterBinding::onNotice(const StateNotice& notice)
{
    if (notice.gridCell())
        showCell(notice.col, notice.row);
    else
        show(notice.id);
}

void RegisterBinding::show(Ctl id)
{
    QWidget* widget = widgets_[size_t(id)];
    if (!widget)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        const QString shown = qt(reg_.text(id));
        if (edit->text() != shown) {
            const int cursor = edit->cursorPosition();
            edit->setText(shown);
            edit->setCursorPosition(std::min(cursor, int(shown.size())));
        }
        if (auto* control = qobject_cast<ControlEdit*>(edit))
            control->setInvalid(CheckText(ControlDefOf(id).textKind, reg_.text(id)).has_value());
    } else if (qobject_cast<QLabel*>(widget)) {
        if (!labelWaiting_[size_t(id)]) {
            labelWaiting_[size_t(id)] = true;
            labelsWaiting_.push_back(id);
        }
        labelFrames_.changed();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setChecked(reg_.checked(id));
    } else if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        const QSignalBlocker quiet(bar);
        bar->setValue(reg_.position(id));
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setCurrentIndex(reg_.itemIndex(id));
    }
}

void RegisterBinding::showLabels()
{
    for (Ctl id : labelsWaiting_) {
        labelWaiting_[size_t(id)] = false;
        if (auto* label = qobject_cast<QLabel*>(widgets_[size_t(id)]))
            label->setText(qt(reg_.text(id)));
    }
    labelsWaiting_.clear();
}

void RegisterBinding::showCell(int col, int row)
{
    auto* grid = qobject_cast<WeightGridWidget*>(widgets_[size_t(Ctl::StringGrid1)]);
    if (!grid)
        return;
    const std::string& text = reg_.gridText(col, row);
    grid->showText(col, row, qt(text));
    if (col >= WeightGrid.fixedColumns && row >= WeightGrid.fixedRows)
        grid->markInvalid(col, row, CheckText(TextKind::Real, text).has_value());
}

} // namespace landuse::ui
