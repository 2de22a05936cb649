#pragma once

#include "core/SnippetSearch.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

namespace verdane {

// The Find window's result list: the hits in the order found, each shown by its name and knowing its record,
// appended in batches so that a search with a hundred thousand hits costs one view update per batch rather than one
// per hit.
class FoundListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    void clear();
    void append(const QList<SnippetSearch::Hit>& hits);
    QStringList names() const;
    SnippetSearch::Hit hit(int row) const { return m_hits.value(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QList<SnippetSearch::Hit> m_hits;
};

} // namespace verdane
