#include "ui/common/PickFollower.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

namespace verdane {

PickFollower::PickFollower(QAbstractItemView* view, std::function<void(const QModelIndex&)> onPick)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
    , m_onPick(std::move(onPick)) {
    m_view->installEventFilter(this);
    m_viewport->installEventFilter(this);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (m_userInput && current.isValid())
            m_onPick(current);
    });
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && index == m_currentAtPress)
            m_onPick(index);
    });
}

void PickFollower::userInputBegins() {
    if (m_userInput)
        return;
    m_userInput = true;
    // The view handles the event right after this filter, within the same turn of the event loop; whatever
    // changes the current item later (a rebuild, a window coming to the front) is no longer the user's doing.
    QTimer::singleShot(0, this, [this] { m_userInput = false; });
}

bool PickFollower::eventFilter(QObject* watched, QEvent* event) {
    // Only the stored widgets are compared: while the view is being destroyed its viewport still sends events, and
    // the view may no longer be asked anything.
    if (watched == m_viewport) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_currentAtPress = m_view->currentIndex();
            userInputBegins();
        } else if (event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton) {
            userInputBegins();
        }
    } else if (watched == m_view) {
        if (event->type() == QEvent::KeyPress)
            userInputBegins();
        // Tab and the like move the focus within the key press itself; the focus coming back is no pick.
        else if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            m_userInput = false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace verdane
