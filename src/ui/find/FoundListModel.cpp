#include "ui/find/FoundListModel.h"

namespace verdane {

void FoundListModel::clear() {
    beginResetModel();
    m_hits.clear();
    endResetModel();
}

void FoundListModel::append(const QList<SnippetSearch::Hit>& hits) {
    if (hits.isEmpty())
        return;
    const int first = int(m_hits.size());
    beginInsertRows({}, first, first + int(hits.size()) - 1);
    m_hits += hits;
    endInsertRows();
}

QStringList FoundListModel::names() const {
    QStringList names;
    names.reserve(m_hits.size());
    for (const SnippetSearch::Hit& hit : m_hits)
        names << hit.name;
    return names;
}

int FoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_hits.size());
}

QVariant FoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_hits.size() || role != Qt::DisplayRole)
        return {};
    return m_hits[index.row()].name;
}

} // namespace verdane
