#include "sync/history/NightList.h"

#include <algorithm>

namespace velunora {

QVariant NightList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case dateRole:
    case Qt::DisplayRole:
        return row.date;
    case hoursRole:
        return row.hours;
    case ahiRole:
        return row.ahi;
    case compliantRole:
        return row.compliant;
    case nightRole:
        return row.night;
    default:
        return {};
    }
}

QHash<int, QByteArray> NightList::roleNames() const {
    return {{dateRole, "date"},
            {hoursRole, "hours"},
            {ahiRole, "ahi"},
            {compliantRole, "compliant"},
            {nightRole, "night"}};
}

void NightList::setRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int NightList::rowOfNight(int night) const {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [night](const Row& row) { return row.night == night; });
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

int NightList::nightAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].night : -1;
}

} // namespace velunora
