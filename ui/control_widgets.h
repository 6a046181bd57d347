#pragma once
// The widget of each kind of control in the table, made from its row: name,
// caption, default, range. The widgets hold no state of their own that
// matters: the register binding keeps them in step with the register.

#include "model/controls.h"

#include <QLineEdit>
#include <QTableWidget>
#include <QWidget>

class QToolButton;

namespace landuse::ui {

// The two arrows of an up-down control; its position lives in the register
// and shows in the edit it is bound to.
class UpDownArrows : public QWidget {
    Q_OBJECT
public:
    explicit UpDownArrows(QWidget* parent = nullptr);
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

signals:
    // +1 for the upper arrow, -1 for the lower one.
    void stepped(int delta);

private:
    QToolButton* up_;
    QToolButton* down_;
};

// An edit box that wears a red frame while its text does not convert; it
// still takes any text.
class ControlEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
    void setInvalid(bool invalid);
    bool invalid() const { return invalid_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool invalid_ = false;
};

// The weight grid: fixed first row and column, the other cells editable. A
// cell's text reaches the register as it is typed, and every key released
// in the grid is reported, as the weights are read on key release.
class WeightGridWidget : public QTableWidget {
    Q_OBJECT
public:
    explicit WeightGridWidget(QWidget* parent = nullptr);

    // Shows a text without reporting it as typed.
    void showText(int col, int row, const QString& text);
    // Marks an editable cell whose text does not convert.
    void markInvalid(int col, int row, bool invalid);

signals:
    void cellTyped(int col, int row, const QString& text);
    void keyReleased();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    friend class WeightCellDelegate;
    bool showing_ = false;
};

// Creates the widget of a control row with its object name, caption,
// default and range. Labels of edits are separate widgets (see the page
// builder); the widget of an edit is the edit alone.
QWidget* CreateControlWidget(const ControlDef& def, QWidget* parent);

// Width in pixels that an edit of this kind needs.
int EditWidth(const ControlDef& def);

} // namespace landuse::ui
