#include "ui/common/PickFollower.h"

#include <QAbstractItemView>
#include <QEvent>

namespace verdane {

PickFollower::PickFollower(QAbstractItemView* view, std::function<void(const QModelIndex&)> onPick)
    : QObject(view)
    , m_view(view)
    , m_onPick(std::move(onPick)) {
    view->viewport()->installEventFilter(this);
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
    if (watched == m_view->viewport() && event->type() == QEvent::MouseButtonPress)
        m_currentAtPress = m_view->currentIndex();
    return QObject::eventFilter(watched, event);
}

} // namespace verdane
