#pragma once

#include <QDateTime>
#include <QWidget>

class QLabel;
class QTimer;

namespace verdane {

// The status bar's three panels: the fixed text "Status", today's date and the time, both kept current.
class StatusBar final : public QWidget {
    Q_OBJECT

public:
    explicit StatusBar(QWidget* parent = nullptr);
    QString dateText() const;
    QString timeText() const;
    // Shows what keeps the program from its records (a server out of reach) in the first panel, in place of
    // "Status"; empty puts "Status" back.
    void showProblem(const QString& problem);
    QString statusText() const;
    // Shows the panels for a given moment; the timer calls it with the current one.
    void showMoment(const QDateTime& now);

private:
    void scheduleNextTick();

    QLabel* m_status;
    QLabel* m_date;
    QLabel* m_time;
    QTimer* m_timer;
};

} // namespace verdane
