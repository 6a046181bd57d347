#include "ui/text_grid_model.h"

#include "analysis/text_grid.h"

namespace landuse::ui {

TextGridModel::TextGridModel(const TextGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

int TextGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, grid_.rowCount() - 1);
}

int TextGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.columnCount();
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() + 1 >= grid_.rowCount())
        return {};
    return QString::fromStdString(grid_.cell(index.column(), index.row() + 1));
}

QVariant TextGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || grid_.rowCount() == 0
        || section >= grid_.columnCount())
        return {};
    return QString::fromStdString(grid_.cell(section, 0));
}

void TextGridModel::reload()
{
    beginResetModel();
    endResetModel();
}

} // namespace landuse::ui
