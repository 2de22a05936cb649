#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace verdane {

// The Find window's result list: names in the order found, appended in batches so that a search with a hundred
// thousand hits costs one view update per batch rather than one per hit.
class FoundListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void clear();
    void append(const QStringList& names);
    const QStringList& names() const { return m_names; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStringList m_names;
};

} // namespace verdane
