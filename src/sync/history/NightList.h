#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

namespace velunora {

// The nights of a period for a view to list, newest first.
class NightList : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { dateRole = Qt::UserRole + 1, hoursRole, ahiRole, compliantRole, nightRole };
    struct Row {
        QString date;
        QString hours;
        QString ahi;
        bool compliant = false;
        int night = -1; // the night's position in the published history
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    void setRows(std::vector<Row> rows);
    // The row of the night, or -1.
    Q_INVOKABLE int rowOfNight(int night) const;
    Q_INVOKABLE int nightAt(int row) const;

private:
    std::vector<Row> rows_;
};

} // namespace velunora
