#pragma once
// A string grid of the core (its row 0 the headers) as a table model, so a
// view asks only for the rows it shows: a rank-size grid may hold 10,203
// rows.

#include <QAbstractTableModel>

namespace landuse {
class TextGrid;
}

namespace landuse::ui {

class TextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextGridModel(const TextGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The grid's rows changed (a measure or a reset).
    void reload();

private:
    const TextGrid& grid_;
};

} // namespace landuse::ui
