#pragma once

#include "BookText.h"
#include "ChunkDocument.h"

#include <QObject>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>

class BookResources;
class TextMap;

/// The text engine's background work for one book: placing the units in the
/// book's text (TextMap) and counting the pages of every unit under a style.
/// Both run on the engine's threads (one per core, shared by all books, at a
/// lower priority than the GUI thread), unit by unit; a count is cut into
/// slices counted side by side. Results come back by queued signals, batches
/// of one slice in order, slices in any order; a new request cancels the
/// running one of its kind between two units.
///
/// Lifetime: the work holds everything it reads by value or shared pointer,
/// so the worker (and its document) may be deleted at any time, also while a
/// job runs: the job stops at the next unit and nothing is delivered.
///
/// When the platform cannot render fonts off the GUI thread, the counting runs
/// on the GUI thread instead, one unit per turn of the event loop.
///
/// GUI thread (the signals arrive there).
class LayoutWorker : public QObject
{
    Q_OBJECT
public:
    explicit LayoutWorker(QObject* parent = nullptr);
    ~LayoutWorker() override;

    /// Starts placing the units of a new text; cancels everything running.
    void mapText(const BookText& text, const QVector<BookText::Unit>& units, const TextStyle& style,
                 const std::shared_ptr<BookResources>& resources);
    /// The map of the last text; null while it is being built (or without a
    /// text). With `wait`, blocks until it is built.
    std::shared_ptr<const TextMap> map(bool wait = false) const;
    bool isMapping() const;
    /// Gives the map from any thread, waiting while it is built; null once
    /// the worker is gone or the text was replaced.
    std::function<std::shared_ptr<const TextMap>()> mapSource() const;

    /// Starts counting the pages of `units` under `style` (skipping the
    /// units whose entry in `skip` is true); cancels a running count.
    /// Returns the count's generation, which the signals carry.
    int count(const QVector<BookText::Unit>& units, const TextStyle& style,
              const std::shared_ptr<BookResources>& resources, const QVector<bool>& skip = {});
    void cancelCount();
    bool isCounting() const { return m_counting; }

    /// Whether this platform lays text out off the GUI thread.
    static bool threadedLayout();

signals:
    /// map() is ready.
    void textMapped();
    /// Page starts of units first .. first + starts.size() - 1 (an empty
    /// entry: a unit that was skipped).
    void unitsCounted(int generation, int first, const QVector<QVector<int>>& starts);
    void countFinished(int generation);

private:
    struct Shared;
    void countOnGuiStep();

    std::shared_ptr<Shared> m_shared;
    bool m_counting = false;
    int m_countGeneration = 0;

    // Counting on the GUI thread.
    QTimer m_guiTimer;
    QVector<BookText::Unit> m_guiUnits;
    QVector<bool> m_guiSkip;
    TextStyle m_guiStyle;
    std::shared_ptr<BookResources> m_guiResources;
    int m_guiNext = 0;
};
