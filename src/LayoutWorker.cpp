#include "LayoutWorker.h"

#include "BookResources.h"
#include "TextMap.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QMutex>
#include <QMutexLocker>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// Counted pages are handed over in batches, not unit by unit: each delivery
// costs the GUI thread a little.
constexpr int kBatchMs = 100;

/// The threads for the layout work of every book, one per core (at most
/// four): a closed book's jobs end at their next unit and the next book's
/// start right after. A count is cut into slices that run side by side.
QThreadPool* enginePool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 4));
        p->setObjectName(QStringLiteral("text engine"));
        // A job still running at exit must end before the fonts go.
        qAddPostRoutine([] { enginePool()->waitForDone(); });
        return p;
    }();
    return pool;
}

/// The engine's threads yield to the GUI thread: a page turn or a resize
/// while the book is counted should not wait for a time slice.
void lowerThreadPriority()
{
#ifdef Q_OS_LINUX
    // Per-thread nice value; Qt's thread priorities do nothing for ordinary
    // (SCHED_OTHER) threads on Linux.
    static thread_local bool lowered = false;
    if (!lowered) {
        lowered = true;
        setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 5);
    }
#endif
}

template <typename F> void runOnEngine(F f)
{
    enginePool()->start(QRunnable::create([f = std::move(f)]() mutable {
        lowerThreadPriority();
        f();
    }));
}

/// Cuts `units` into about `parts` contiguous slices of similar HTML size
/// (the cost of a unit follows its size); each slice is [first, last).
QVector<QPair<int, int>> slices(const QVector<BookText::Unit>& units, const QVector<bool>& skip, int parts)
{
    qint64 total = 0;
    for (int u = 0; u < units.size(); ++u) {
        if (u >= skip.size() || !skip.at(u))
            total += units.at(u).body.size() + 1;
    }
    QVector<QPair<int, int>> result;
    const qint64 share = qMax<qint64>(1, total / qMax(1, parts));
    qint64 size = 0;
    int first = 0;
    for (int u = 0; u < units.size(); ++u) {
        if (u >= skip.size() || !skip.at(u))
            size += units.at(u).body.size() + 1;
        if (size >= share && u + 1 < units.size()) {
            result << qMakePair(first, u + 1);
            first = u + 1;
            size = 0;
        }
    }
    result << qMakePair(first, int(units.size()));
    return result;
}

} // namespace

struct LayoutWorker::Shared
{
    QAtomicInt textGeneration{0};
    QAtomicInt countGeneration{0};
    mutable QMutex mutex;
    QWaitCondition mappedCondition;
    LayoutWorker* receiver = nullptr; ///< null once the worker is gone
    std::shared_ptr<const TextMap> map;
    bool mapping = false;

    /// Runs `f` on the GUI thread, unless the worker is gone by then.
    template <typename F> void post(F f)
    {
        QMutexLocker lock(&mutex);
        if (receiver)
            QMetaObject::invokeMethod(receiver, std::move(f), Qt::QueuedConnection);
    }
};

LayoutWorker::LayoutWorker(QObject* parent) : QObject(parent), m_shared(new Shared)
{
    m_shared->receiver = this;
    m_guiTimer.setInterval(0);
    connect(&m_guiTimer, &QTimer::timeout, this, &LayoutWorker::countOnGuiStep);
}

LayoutWorker::~LayoutWorker()
{
    // Jobs see the new generations and stop at their next unit; whatever
    // they post from now on is dropped.
    QMutexLocker lock(&m_shared->mutex);
    m_shared->textGeneration.ref();
    m_shared->countGeneration.ref();
    m_shared->receiver = nullptr;
    m_shared->mapping = false;
    m_shared->mappedCondition.wakeAll();
}

bool LayoutWorker::threadedLayout()
{
    // Deprecated because every platform of Qt 5.15 renders fonts off the GUI
    // thread; still the one public way to ask.
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return QFontDatabase::supportsThreadedFontRendering();
    QT_WARNING_POP
}

void LayoutWorker::mapText(const BookText& text, const QVector<BookText::Unit>& units, const TextStyle& style,
                           const std::shared_ptr<BookResources>& resources)
{
    cancelCount();
    int generation = 0;
    {
        QMutexLocker lock(&m_shared->mutex);
        generation = m_shared->textGeneration.fetchAndAddOrdered(1) + 1;
        m_shared->map.reset();
        m_shared->mapping = !text.isEmpty();
        m_shared->mappedCondition.wakeAll();
    }
    if (text.isEmpty())
        return;
    std::shared_ptr<Shared> shared = m_shared;
    runOnEngine([shared, generation, text, units, style, resources] {
        const auto cancelled = [&] { return shared->textGeneration.loadAcquire() != generation; };
        std::shared_ptr<const TextMap> map =
            cancelled() ? nullptr : TextMap::build(text, units, style, resources, cancelled);
        {
            QMutexLocker lock(&shared->mutex);
            if (shared->textGeneration.loadAcquire() != generation)
                return;
            shared->map = map;
            shared->mapping = false;
            shared->mappedCondition.wakeAll();
        }
        shared->post([shared, generation] {
            if (shared->receiver && shared->textGeneration.loadAcquire() == generation)
                emit shared->receiver->textMapped();
        });
    });
}

std::shared_ptr<const TextMap> LayoutWorker::map(bool wait) const
{
    QMutexLocker lock(&m_shared->mutex);
    while (wait && m_shared->mapping)
        m_shared->mappedCondition.wait(&m_shared->mutex);
    return m_shared->map;
}

std::function<std::shared_ptr<const TextMap>()> LayoutWorker::mapSource() const
{
    std::shared_ptr<Shared> shared = m_shared;
    const int generation = shared->textGeneration.loadAcquire();
    return [shared, generation]() -> std::shared_ptr<const TextMap> {
        QMutexLocker lock(&shared->mutex);
        while (shared->mapping && shared->textGeneration.loadAcquire() == generation)
            shared->mappedCondition.wait(&shared->mutex);
        return shared->textGeneration.loadAcquire() == generation ? shared->map : nullptr;
    };
}

bool LayoutWorker::isMapping() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->mapping;
}

int LayoutWorker::count(const QVector<BookText::Unit>& units, const TextStyle& style,
                        const std::shared_ptr<BookResources>& resources, const QVector<bool>& skip)
{
    cancelCount();
    const int generation = m_shared->countGeneration.fetchAndAddOrdered(1) + 1;
    m_countGeneration = generation;
    m_counting = true;
    if (!threadedLayout()) {
        m_guiUnits = units;
        m_guiSkip = skip;
        m_guiStyle = style;
        m_guiResources = resources;
        m_guiNext = 0;
        m_guiTimer.start();
        return generation;
    }
    // Slices of the book counted side by side, several per thread so that a
    // thread that finishes early takes the next one. Each hands its pages
    // over in batches; the last one to finish says the count is done (its
    // post comes after every other slice's last batch).
    const QVector<QPair<int, int>> parts = slices(units, skip, enginePool()->maxThreadCount() * 8);
    std::shared_ptr<Shared> shared = m_shared;
    auto remaining = std::make_shared<QAtomicInt>(parts.size());
    for (const QPair<int, int>& part : parts) {
        runOnEngine([shared, generation, units, style, resources, skip, part, remaining] {
            QElapsedTimer batchTimer;
            batchTimer.start();
            int first = part.first;
            QVector<QVector<int>> batch;
            const auto deliver = [&](bool finished) {
                shared->post([shared, generation, first, batch, finished] {
                    if (!shared->receiver || shared->countGeneration.loadAcquire() != generation)
                        return;
                    if (!batch.isEmpty())
                        emit shared->receiver->unitsCounted(generation, first, batch);
                    if (finished) {
                        shared->receiver->m_counting = false;
                        emit shared->receiver->countFinished(generation);
                    }
                });
            };
            for (int u = part.first; u < part.second; ++u) {
                if (shared->countGeneration.loadAcquire() != generation)
                    return;
                if (u < skip.size() && skip.at(u)) {
                    batch << QVector<int>();
                } else {
                    ChunkDocument document(resources);
                    document.build(units.at(u).html(), style);
                    batch << document.paginate();
                }
                if (batchTimer.elapsed() >= kBatchMs) {
                    deliver(false);
                    first = u + 1;
                    batch.clear();
                    batchTimer.restart();
                }
            }
            if (!batch.isEmpty())
                deliver(false);
            batch.clear();
            if (!remaining->deref())
                deliver(true);
        });
    }
    return generation;
}

void LayoutWorker::cancelCount()
{
    m_shared->countGeneration.ref();
    m_counting = false;
    m_guiTimer.stop();
    m_guiUnits.clear();
    m_guiResources.reset();
}

void LayoutWorker::countOnGuiStep()
{
    if (m_guiNext >= m_guiUnits.size()) {
        m_guiTimer.stop();
        m_counting = false;
        emit countFinished(m_countGeneration);
        return;
    }
    const int u = m_guiNext++;
    QVector<int> starts;
    if (u >= m_guiSkip.size() || !m_guiSkip.at(u)) {
        ChunkDocument document(m_guiResources);
        document.build(m_guiUnits.at(u).html(), m_guiStyle);
        starts = document.paginate();
    }
    emit unitsCounted(m_countGeneration, u, {starts});
}
