#include "ui/find/FoundListModel.h"

namespace verdane {

void FoundListModel::clear() {
    beginResetModel();
    m_names.clear();
    endResetModel();
}

void FoundListModel::append(const QStringList& names) {
    if (names.isEmpty())
        return;
    const int first = int(m_names.size());
    beginInsertRows({}, first, first + int(names.size()) - 1);
    m_names += names;
    endInsertRows();
}

int FoundListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant FoundListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_names.size() || role != Qt::DisplayRole)
        return {};
    return m_names[index.row()];
}

} // namespace verdane
