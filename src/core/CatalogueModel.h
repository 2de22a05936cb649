#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QPair>
#include <QString>

#include <vector>

namespace verdane {

// The catalogue's node collection, shown by the tree view. Nodes are numbered from 1 in order of addition: node 1 is
// the library root, node 2 "User Code", nodes 3 to 9 the groups, then the library's snippets group by group, then the
// user's. A snippet node carries its record (table number and record), so it is known by what it is, never by its
// caption. The model is plain vectors, so a library of a hundred thousand snippets costs a few megabytes and builds
// in milliseconds.
class CatalogueModel final : public QAbstractItemModel {
    Q_OBJECT

public:
    explicit CatalogueModel(QObject* parent = nullptr);

    // The node collection, 1-based.
    int nodeCount() const { return static_cast<int>(m_nodes.size()); }
    QString caption(int node) const;
    int parentNode(int node) const; // 0 for a root
    int childCount(int node) const;
    QModelIndex indexOfNode(int node) const;
    int nodeOf(const QModelIndex& index) const; // 0 for an invalid index

    // A snippet node's table number (see SnippetRef.h) and record; -1 and 0 for roots and groups.
    int tableOf(int node) const;
    qint64 recordOf(int node) const;
    // The node of a record; 0 when the tree holds none.
    int nodeOfRecord(int table, qint64 record) const;

    // Building. Between beginRebuild and endRebuild views see nothing of the changes and are reset once at the end,
    // collapsed; outside a rebuild every change is announced as it happens.
    void beginRebuild();
    void endRebuild();
    void clear();
    int addRoot(const QString& caption = {});
    int addChild(int parent, const QString& caption = {});
    int addSnippet(int parent, int table, qint64 record, const QString& caption);
    void setCaption(int node, const QString& caption);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node {
        QString caption;
        int parent = 0; // 0: a root
        int row = 0;    // place among its parent's children
        int table = -1; // a snippet's table number; -1 for roots and groups
        qint64 record = 0;
        std::vector<int> children;
    };
    int addNode(int parent, const QString& caption, int table = -1, qint64 record = 0);
    bool isValidNode(int node) const { return node >= 1 && node <= nodeCount(); }
    const std::vector<int>& childrenOf(int node) const { return node == 0 ? m_roots : m_nodes[node - 1].children; }

    std::vector<Node> m_nodes;
    std::vector<int> m_roots;
    bool m_rebuilding = false;
    // Made by the first lookup of a record after a change, so a build costs nothing for it.
    mutable QHash<QPair<int, qint64>, int> m_nodeOfRecord;
};

} // namespace verdane
