#include <QAbstractItemModel>
#include <QApplication>
#include <QGenericPlugin>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

// Qt loads this into a program started with QT_PLUGIN_PATH naming its folder and QT_QPA_GENERIC_PLUGINS=treeprobe,
// as it loads an input device's plugin: the program itself knows nothing of it. Once a window shows the catalogue
// tree, the probe prints what the tree holds as verdane-cli lists it, a snippet as Parent/Name, and ends the program
// with exit code 0. The package check starts the unpacked program with it, to see the tree that program shows.

namespace {

class TreeProbe final : public QObject {
public:
    TreeProbe() {
        connect(&m_poll, &QTimer::timeout, this, &TreeProbe::look);
        m_poll.start(50);
    }

private:
    void look() {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            const auto* tree = window->findChild<QTreeView*>(QStringLiteral("tvTreeView"));
            if (!window->isVisible() || !tree || !tree->isVisible() || !tree->model() || tree->model()->rowCount() == 0)
                continue;
            m_poll.stop();
            print(*tree->model(), {});
            std::fflush(stdout);
            QCoreApplication::exit(0);
            return;
        }
    }

    static void print(const QAbstractItemModel& model, const QModelIndex& parent) {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex child = model.index(row, 0, parent);
            if (model.rowCount(child) > 0)
                print(model, child);
            else if (parent.isValid())
                std::printf("%s/%s\n", parent.data().toString().toUtf8().constData(),
                            child.data().toString().toUtf8().constData());
        }
    }

    QTimer m_poll;
};

} // namespace

class TreeProbePlugin final : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "TreeProbe.json")

public:
    QObject* create(const QString& key, const QString&) override {
        return key.compare(QLatin1String("treeprobe"), Qt::CaseInsensitive) == 0 ? new TreeProbe : nullptr;
    }
};

#include "TreeProbe.moc"
