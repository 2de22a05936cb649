#include "core/BackgroundSearch.h"

namespace verdane {

namespace {
constexpr qsizetype kBatch = 512;
} // namespace

struct BackgroundSearch::Job {
    std::atomic<bool> cancel{false};
    std::thread thread;
};

BackgroundSearch::BackgroundSearch(SnippetSearch& search, QObject* parent)
    : QObject(parent)
    , m_search(search) {}

BackgroundSearch::~BackgroundSearch() {
    for (const auto& job : m_jobs)
        job->cancel = true;
    for (const auto& job : m_jobs)
        job->thread.join();
}

void BackgroundSearch::start(const QString& text) {
    cancel();
    auto job = std::make_unique<Job>();
    Job* const self = job.get();
    {
        const std::lock_guard lock(m_mutex);
        m_pending.clear();
        m_current = self;
        m_announced = false;
    }
    m_running = true;
    job->thread = std::thread([this, self, text] {
        // Hits are handed over in batches, so that a search with a hundred thousand of them takes the lock a few
        // hundred times rather than once per hit; the first goes at once, to be on screen soonest.
        QList<SnippetSearch::Hit> batch;
        bool first = true;
        auto handOver = [&] {
            const std::lock_guard lock(m_mutex);
            if (m_current != self)
                return;
            m_pending += batch;
            if (!m_announced) {
                m_announced = true;
                QMetaObject::invokeMethod(this, &BackgroundSearch::hitsFound, Qt::QueuedConnection);
            }
        };
        const QStringList unreadable = m_search.find(
            text,
            [&](const SnippetSearch::Hit& hit) {
                batch.append(hit);
                if (first || batch.size() >= kBatch) {
                    handOver();
                    batch.clear();
                    first = false;
                }
            },
            &self->cancel);
        if (!batch.isEmpty())
            handOver();
        const bool cancelled = self->cancel.load();
        // Delivered after every hit announcement of this job, since both travel through the same queue.
        QMetaObject::invokeMethod(
            this,
            [this, self, cancelled, unreadable] {
                reap(self);
                if (m_current == self) {
                    m_running = false;
                    Q_EMIT finished(cancelled, unreadable);
                }
            },
            Qt::QueuedConnection);
    });
    m_jobs.push_back(std::move(job));
}

void BackgroundSearch::cancel() {
    if (m_jobs.empty() || !m_running)
        return;
    m_jobs.back()->cancel = true;
}

QList<SnippetSearch::Hit> BackgroundSearch::takeHits() {
    const std::lock_guard lock(m_mutex);
    m_announced = false;
    return std::exchange(m_pending, {});
}

void BackgroundSearch::reap(Job* job) {
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if (it->get() == job) {
            (*it)->thread.join();
            m_jobs.erase(it);
            return;
        }
    }
}

} // namespace verdane
