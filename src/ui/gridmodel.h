// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Vorin developers
#pragma once

#include "table/proxygrid.h"

#include <QAbstractTableModel>

namespace vorin {

// Shows the proxy grid in a Qt table view: grid row 0 becomes the horizontal header, grid row r the model
// row r - 1. A batched grid change arrives as one model reset. Main thread only.
class GridModel final : public QAbstractTableModel, private ProxyGrid::Observer {
    Q_OBJECT
public:
    explicit GridModel(ProxyGrid& grid, QObject* parent = nullptr);
    ~GridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    ProxyGrid& grid() { return grid_; }

Q_SIGNALS:
    // The grid's selected body row changed (from the controller's side).
    void selectedRowChanged(int gridRow);

private:
    void gridReset() override;
    void gridRowsChanged(int first, int last) override;
    void gridSelectionChanged() override;

    ProxyGrid& grid_;
};

} // namespace vorin
