#pragma once

#include <QModelIndex>
#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QAbstractItemView;

namespace verdane {

// Calls back once for every pick in an item view: when the current item changes (a click on another item, the
// arrow keys) and when the item already current is clicked again. A click that moves to a new item is one pick,
// not two.
class PickFollower final : public QObject {
    Q_OBJECT

public:
    PickFollower(QAbstractItemView* view, std::function<void(const QModelIndex&)> onPick);

    // While paused, changes of the current item made by the program are not picks.
    void setPaused(bool paused) { m_paused = paused; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractItemView* m_view;
    QWidget* m_viewport;
    std::function<void(const QModelIndex&)> m_onPick;
    QPersistentModelIndex m_currentAtPress;
    bool m_paused = false;
};

} // namespace verdane
