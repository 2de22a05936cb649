#pragma once

#include "core/SnippetSearch.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace verdane {

// Runs searches on a thread of their own, so that the window that asked stays responsive: hits are collected as
// they are found and taken by the window whenever it is ready for them. A new search replaces a running one, and a
// search cancelled stops at once.
class BackgroundSearch final : public QObject {
    Q_OBJECT

public:
    explicit BackgroundSearch(SnippetSearch& search, QObject* parent = nullptr);
    // Cancels whatever runs and waits for it to stop.
    ~BackgroundSearch() override;

    void start(const QString& text);
    void cancel();
    bool isRunning() const { return m_running; }
    // The hits found since the last call, in order.
    QList<SnippetSearch::Hit> takeHits();

Q_SIGNALS:
    // Hits are waiting. Not sent again until they have been taken, so a busy receiver takes them in batches.
    void hitsFound();
    // The search ended: all its hits have been announced. unreadable: what could not be searched.
    void finished(bool cancelled, const QStringList& unreadable);

private:
    struct Job;
    void reap(Job* job);

    SnippetSearch& m_search;
    std::list<std::unique_ptr<Job>> m_jobs; // the current one last; earlier ones are finishing
    std::mutex m_mutex;                     // guards what follows
    QList<SnippetSearch::Hit> m_pending;
    const Job* m_current = nullptr;
    bool m_announced = false;
    bool m_running = false;
};

} // namespace verdane
