#pragma once

#include <QModelIndex>
#include <QObject>
#include <QPersistentModelIndex>

#include <functional>

class QAbstractItemView;

namespace verdane {

// Calls back once for every pick in an item view. A pick is the user's: a click (on another item, or again on the
// item already current) or the user moving the current item with the keyboard. A change of the current item that
// the user did not make (the view taking focus, a model reset, the program selecting an item) is not a pick.
class PickFollower final : public QObject {
    Q_OBJECT

public:
    PickFollower(QAbstractItemView* view, std::function<void(const QModelIndex&)> onPick);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void userInputBegins();

    QAbstractItemView* m_view;
    QWidget* m_viewport;
    std::function<void(const QModelIndex&)> m_onPick;
    QPersistentModelIndex m_currentAtPress;
    // Set while the view handles a key press or a mouse press or drag: the current item changes then are picks.
    bool m_userInput = false;
};

} // namespace verdane
