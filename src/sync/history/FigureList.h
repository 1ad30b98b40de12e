#pragma once

#include "sync/history/UsageTexts.h"

#include <QAbstractListModel>
#include <QString>
#include <vector>

namespace velunora {

// Labelled figures for a view to list: "Utilisation moyenne", "6 h 52".
class FigureList : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { labelRole = Qt::UserRole + 1, valueRole };
    using Figure = usagetext::Figure;

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(figures_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setFigures(std::vector<Figure> figures);
    const std::vector<Figure>& figures() const noexcept { return figures_; }

private:
    std::vector<Figure> figures_;
};

} // namespace velunora
