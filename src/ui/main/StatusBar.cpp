#include "ui/main/StatusBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRegularExpression>
#include <QSizeGrip>
#include <QTimer>

namespace verdane {

namespace {
QLabel* panel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(4, 0, 4, 0);
    return label;
}
} // namespace

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent)
    , m_status(panel(this, QStringLiteral("sbStatusBarStatus")))
    , m_date(panel(this, QStringLiteral("sbStatusBarDate")))
    , m_time(panel(this, QStringLiteral("sbStatusBarTime")))
    , m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("sbStatusBar"));
    m_status->setText(QStringLiteral("Status"));
    // A long message is cut at the panel's edge (its tool tip holds it whole) rather than widening the window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 2, 1, 1);
    layout->setSpacing(2);
    layout->addWidget(m_status, 1);
    layout->addWidget(m_date);
    layout->addWidget(m_time);
    layout->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom | Qt::AlignRight);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] {
        showMoment(QDateTime::currentDateTime());
        scheduleNextTick();
    });
    showMoment(QDateTime::currentDateTime());
    scheduleNextTick();
}

void StatusBar::showMoment(const QDateTime& now) {
    const QLocale locale;
    m_date->setText(locale.toString(now.date(), QLocale::ShortFormat));
    // The panel changes once a minute, so it shows no seconds whatever the locale's short format holds.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QRegularExpression(QStringLiteral("[^hHmaAp]*s+")));
    m_time->setText(locale.toString(now.time(), format.trimmed()));
}

// Wakes at the turn of each minute rather than polling: the panels change no more often.
void StatusBar::scheduleNextTick() {
    const QTime now = QTime::currentTime();
    const int toNextMinute = 60000 - (now.second() * 1000 + now.msec());
    m_timer->start(toNextMinute + 20);
}

void StatusBar::showProblem(const QString& problem) {
    m_status->setText(problem.isEmpty() ? QStringLiteral("Status") : problem);
    m_status->setToolTip(problem);
}

QString StatusBar::statusText() const {
    return m_status->text();
}

QString StatusBar::dateText() const {
    return m_date->text();
}

QString StatusBar::timeText() const {
    return m_time->text();
}

} // namespace verdane
