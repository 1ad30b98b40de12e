#include "sync/history/FigureList.h"

namespace velunora {

QVariant FigureList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Figure& figure = figures_[static_cast<std::size_t>(index.row())];
    switch (role) {
    case labelRole:
        return figure.label;
    case valueRole:
    case Qt::DisplayRole:
        return figure.value;
    default:
        return {};
    }
}

QHash<int, QByteArray> FigureList::roleNames() const {
    return {{labelRole, "label"}, {valueRole, "value"}};
}

void FigureList::setFigures(std::vector<Figure> figures) {
    if (figures.size() == figures_.size()) {
        figures_ = std::move(figures);
        if (!figures_.empty()) {
            Q_EMIT dataChanged(index(0), index(rowCount() - 1));
        }
        return;
    }
    beginResetModel();
    figures_ = std::move(figures);
    endResetModel();
}

} // namespace velunora
