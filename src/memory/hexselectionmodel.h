// Selection of the hexadecimal viewer in which a byte's hexadecimal cell and its
// character cell are selected together. The partner cells join the very call that
// selects (or deselects, or toggles) a cell, so a drag that shrinks or a
// ctrl-click that toggles keeps both halves alike.
#pragma once

#include <QItemSelection>
#include <QItemSelectionModel>

namespace DevelopViews {

class HexViewModel;

class HexSelectionModel : public QItemSelectionModel
{
    Q_OBJECT
public:
    explicit HexSelectionModel(HexViewModel* model, QObject* parent = nullptr);

    // The selection with every byte's partner cell added (column c <-> c + 16).
    static QItemSelection paired(const QItemSelection& selection);

    void select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
};

} // namespace DevelopViews
