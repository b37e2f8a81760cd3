#pragma once

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

namespace comics {

/// Unpacks the pages of a solid RAR archive once into the book's cache
/// folder, on the thread pool. In a solid archive reading one entry
/// decompresses every entry before it, so reading page by page from the
/// archive would decompress the book again for every page near its end.
///
/// Pages are written under their page numbers, never under the entry names
/// (no name can place a file elsewhere), each through a temporary file that
/// is renamed when complete, and a stamp naming the archive's size and time
/// marks the folder complete; a later document of the same, unchanged file
/// uses the pages at once.
///
/// The pool task owns everything it uses, so the unpacker may be deleted
/// while it runs: the task stops at its next batch and leaves no stamp.
/// Thread-safe.
class SolidUnpacker
{
public:
    /// `order`: the page entries in archive order; `numbers`: entry name to
    /// page number.
    SolidUnpacker(const QString& archive, const QString& folder, const QStringList& order,
                  const QHash<QString, int>& numbers);
    ~SolidUnpacker();
    SolidUnpacker(const SolidUnpacker&) = delete;
    SolidUnpacker& operator=(const SolidUnpacker&) = delete;

    /// Starts unpacking unless the pages are there already; later calls do
    /// nothing.
    void start();
    /// Whether every page is on disk.
    bool isDone() const;
    /// The bytes of page `number` once isDone(); empty before, or when the
    /// page could not be unpacked.
    QByteArray page(int number) const;
    /// Waits for a running unpack (tests, benchmarks).
    void waitForDone();

    static QString pagePath(const QString& folder, int number);

private:
    struct Job;
    static void run(const std::shared_ptr<Job>& job);

    std::shared_ptr<Job> m_job;
    QFuture<void> m_future;
    bool m_started = false;
};

} // namespace comics
