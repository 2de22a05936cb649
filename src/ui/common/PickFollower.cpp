#include "ui/common/PickFollower.h"

#include <QAbstractItemView>
#include <QEvent>

namespace verdane {

PickFollower::PickFollower(QAbstractItemView* view, std::function<void(const QModelIndex&)> onPick)
    : QObject(view)
    , m_view(view)
    , m_viewport(view->viewport())
    , m_onPick(std::move(onPick)) {
    m_viewport->installEventFilter(this);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!m_paused && current.isValid())
            m_onPick(current);
    });
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && index == m_currentAtPress)
            m_onPick(index);
    });
}

bool PickFollower::eventFilter(QObject* watched, QEvent* event) {
    // Only the stored viewport is compared: while the view is being destroyed its viewport still sends events, and
    // the view may no longer be asked anything.
    if (event->type() == QEvent::MouseButtonPress && watched == m_viewport)
        m_currentAtPress = m_view->currentIndex();
    return QObject::eventFilter(watched, event);
}

} // namespace verdane
