#include "hexselectionmodel.h"

#include "hexviewmodel.h"

#include <algorithm>

namespace DevelopViews {

HexSelectionModel::HexSelectionModel(HexViewModel* model, QObject* parent)
    : QItemSelectionModel(model, parent)
{ }

QItemSelection HexSelectionModel::paired(const QItemSelection& selection)
{
    constexpr int Half = HexViewModel::BytesPerRow;
    QItemSelection out = selection;
    for (const QItemSelectionRange& r : selection) {
        const QAbstractItemModel* m = r.model();
        if (!r.isValid() || !m)
            continue;
        // The part in each half, moved to the other half.
        const int halves[2][2] = { { std::max(r.left(), 0), std::min(r.right(), Half - 1) },
            { std::max(r.left(), Half), std::min(r.right(), 2 * Half - 1) } };
        for (int h = 0; h < 2; ++h) {
            const int shift = h == 0 ? Half : -Half;
            if (halves[h][0] > halves[h][1])
                continue;
            out.merge(QItemSelection(m->index(r.top(), halves[h][0] + shift, r.parent()),
                          m->index(r.bottom(), halves[h][1] + shift, r.parent())),
                QItemSelectionModel::Select);
        }
    }
    return out;
}

void HexSelectionModel::select(const QModelIndex& index, QItemSelectionModel::SelectionFlags command)
{
    select(QItemSelection(index, index), command);
}

void HexSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    QItemSelectionModel::select(paired(selection), command);
}

} // namespace DevelopViews
