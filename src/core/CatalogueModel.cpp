#include "core/CatalogueModel.h"

namespace verdane {

CatalogueModel::CatalogueModel(QObject* parent)
    : QAbstractItemModel(parent) {}

QString CatalogueModel::caption(int node) const {
    return isValidNode(node) ? m_nodes[node - 1].caption : QString();
}

int CatalogueModel::parentNode(int node) const {
    return isValidNode(node) ? m_nodes[node - 1].parent : 0;
}

int CatalogueModel::tableOf(int node) const {
    return isValidNode(node) ? m_nodes[node - 1].table : -1;
}

qint64 CatalogueModel::recordOf(int node) const {
    return isValidNode(node) ? m_nodes[node - 1].record : 0;
}

int CatalogueModel::nodeOfRecord(int table, qint64 record) const {
    if (m_nodeOfRecord.isEmpty()) {
        for (int node = 1; node <= nodeCount(); ++node) {
            const Node& n = m_nodes[node - 1];
            if (n.table >= 0)
                m_nodeOfRecord.insert({n.table, n.record}, node);
        }
    }
    return m_nodeOfRecord.value({table, record}, 0);
}

int CatalogueModel::childCount(int node) const {
    return isValidNode(node) ? static_cast<int>(m_nodes[node - 1].children.size()) : 0;
}

QModelIndex CatalogueModel::indexOfNode(int node) const {
    if (!isValidNode(node))
        return {};
    return createIndex(m_nodes[node - 1].row, 0, quintptr(node));
}

int CatalogueModel::nodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this)
        return 0;
    return static_cast<int>(index.internalId());
}

void CatalogueModel::beginRebuild() {
    beginResetModel();
    m_rebuilding = true;
}

void CatalogueModel::endRebuild() {
    m_rebuilding = false;
    endResetModel();
}

void CatalogueModel::clear() {
    m_nodeOfRecord.clear();
    if (m_rebuilding) {
        m_nodes.clear();
        m_roots.clear();
        return;
    }
    beginResetModel();
    m_nodes.clear();
    m_roots.clear();
    endResetModel();
}

int CatalogueModel::addRoot(const QString& caption) {
    return addNode(0, caption);
}

int CatalogueModel::addChild(int parent, const QString& caption) {
    if (!isValidNode(parent))
        return 0;
    return addNode(parent, caption);
}

int CatalogueModel::addSnippet(int parent, int table, qint64 record, const QString& caption) {
    if (!isValidNode(parent) || table < 0)
        return 0;
    return addNode(parent, caption, table, record);
}

int CatalogueModel::addNode(int parent, const QString& caption, int table, qint64 record) {
    const int row = static_cast<int>(childrenOf(parent).size());
    if (!m_rebuilding)
        beginInsertRows(parent == 0 ? QModelIndex() : indexOfNode(parent), row, row);
    m_nodeOfRecord.clear();
    m_nodes.push_back(Node{caption, parent, row, table, record, {}});
    const int node = nodeCount();
    (parent == 0 ? m_roots : m_nodes[parent - 1].children).push_back(node);
    if (!m_rebuilding)
        endInsertRows();
    return node;
}

void CatalogueModel::setCaption(int node, const QString& caption) {
    if (!isValidNode(node))
        return;
    m_nodes[node - 1].caption = caption;
    if (!m_rebuilding) {
        const QModelIndex index = indexOfNode(node);
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole});
    }
}

QModelIndex CatalogueModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const int parentNodeNumber = nodeOf(parent);
    if (parent.isValid() && !isValidNode(parentNodeNumber))
        return {};
    const std::vector<int>& children = childrenOf(parentNodeNumber);
    if (row >= static_cast<int>(children.size()))
        return {};
    return createIndex(row, 0, quintptr(children[row]));
}

QModelIndex CatalogueModel::parent(const QModelIndex& child) const {
    const int node = nodeOf(child);
    if (!isValidNode(node))
        return {};
    return indexOfNode(m_nodes[node - 1].parent);
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return static_cast<int>(m_roots.size());
    return childCount(nodeOf(parent));
}

int CatalogueModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    const int node = nodeOf(index);
    if (!isValidNode(node))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_nodes[node - 1].caption;
    return {};
}

Qt::ItemFlags CatalogueModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace verdane
