// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#include "ui/gridmodel.h"

#include "ui/qtext.h"

namespace vorin {

GridModel::GridModel(ProxyGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid)
{
    grid_.setObserver(this);
}

GridModel::~GridModel()
{
    grid_.setObserver(nullptr);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.rowCount() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_.colCount();
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::ToolTipRole) {
        const std::string tip = grid_.tip(index.row() + 1);
        return tip.empty() ? QVariant() : QVariant(qs(tip));
    }
    if (role != Qt::DisplayRole)
        return {};
    return qs(grid_.cell(index.column(), index.row() + 1));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return qs(grid_.cell(section, 0));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void GridModel::gridReset()
{
    // The grid has already changed; a view asks for nothing between the two calls.
    beginResetModel();
    endResetModel();
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, grid_.colCount() - 1);
}

void GridModel::gridRowsChanged(int first, int last)
{
    if (first == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, grid_.colCount() - 1);
        first = 1;
    }
    if (last >= first)
        Q_EMIT dataChanged(index(first - 1, 0), index(last - 1, grid_.colCount() - 1), {Qt::DisplayRole});
}

void GridModel::gridSelectionChanged()
{
    Q_EMIT selectedRowChanged(grid_.selectedRow());
}

} // namespace vorin
