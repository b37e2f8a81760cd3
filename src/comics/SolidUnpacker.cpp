#include "comics/SolidUnpacker.h"

#include "ArchiveReader.h"
#include "Limits.h"
#include "Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtConcurrent>

#include <atomic>

namespace comics {

namespace {

// One pass over the archive decompresses it once, but holds the entries it
// reads in memory. Up to this archive size everything is read in one pass;
// larger archives are read in batches of pages (each pass decompresses what
// lies before its last page again, but memory stays bounded).
constexpr qint64 kOnePassSize = 256LL * 1024 * 1024;
constexpr int kBatch = 64;

QString stampOf(const QString& archive, int pages)
{
    // A file replaced under the same name must not show the old pages.
    const QFileInfo info(archive);
    return QStringLiteral("%1 %2 %3")
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(pages);
}

} // namespace

struct SolidUnpacker::Job
{
    QString archive;
    QString folder;
    QStringList order;
    QHash<QString, int> numbers;
    QString stamp;
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};

    QString stampPath() const { return folder + QStringLiteral("/pages/complete"); }
};

SolidUnpacker::SolidUnpacker(const QString& archive, const QString& folder, const QStringList& order,
                             const QHash<QString, int>& numbers)
    : m_job(std::make_shared<Job>())
{
    m_job->archive = archive;
    m_job->folder = folder;
    m_job->order = order;
    m_job->numbers = numbers;
    m_job->stamp = stampOf(archive, order.size());
    QFile stamp(m_job->stampPath());
    if (stamp.open(QIODevice::ReadOnly) && QString::fromUtf8(stamp.readAll()) == m_job->stamp)
        m_job->done = true;
}

SolidUnpacker::~SolidUnpacker()
{
    m_job->cancel = true;
}

void SolidUnpacker::start()
{
    if (m_started || m_job->done)
        return;
    m_started = true;
    const std::shared_ptr<Job> job = m_job;
    m_future = QtConcurrent::run([job] { run(job); });
}

bool SolidUnpacker::isDone() const
{
    return m_job->done;
}

void SolidUnpacker::waitForDone()
{
    m_future.waitForFinished();
}

QString SolidUnpacker::pagePath(const QString& folder, int number)
{
    return folder + QStringLiteral("/pages/%1.page").arg(number, 6, 10, QLatin1Char('0'));
}

QByteArray SolidUnpacker::page(int number) const
{
    if (!m_job->done)
        return QByteArray();
    QFile file(pagePath(m_job->folder, number));
    if (!file.open(QIODevice::ReadOnly) || file.size() > Limits::maxEntrySize)
        return QByteArray();
    return file.readAll();
}

void SolidUnpacker::run(const std::shared_ptr<Job>& job)
{
    QDir pages(job->folder + QStringLiteral("/pages"));
    pages.removeRecursively();
    if (!QDir().mkpath(pages.path())) {
        logWarning(QStringLiteral("Cannot create the page folder %1").arg(pages.path()));
        return;
    }
    const std::unique_ptr<ArchiveReader> reader(createArchiveReader(QStringLiteral("solid.cbr")));
    const int batch = QFileInfo(job->archive).size() <= kOnePassSize ? job->order.size() : kBatch;
    for (int from = 0; from < job->order.size(); from += qMax(1, batch)) {
        if (job->cancel)
            return;
        QHash<QString, QByteArray> data;
        reader->readEntries(job->archive, job->order.mid(from, batch), data);
        for (auto it = data.cbegin(); it != data.cend(); ++it) {
            QSaveFile file(pagePath(job->folder, job->numbers.value(it.key())));
            if (file.open(QIODevice::WriteOnly)) {
                file.write(it.value());
                file.commit();
            }
        }
    }
    if (job->cancel)
        return;
    QSaveFile stamp(job->stampPath());
    if (stamp.open(QIODevice::WriteOnly)) {
        stamp.write(job->stamp.toUtf8());
        if (stamp.commit())
            job->done = true;
    }
}

} // namespace comics
