#include "PageCache.h"

#include "Paths.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStringList>

namespace {
// Bump when units, places or page tables are computed differently.
constexpr int kVersion = 2; // 2: chapters split before a block that overfills a piece
// Layouts kept per book (font sizes, column counts, window sizes).
constexpr int kMaxLayouts = 8;
// A cache file larger than this is not a cache of ours.
constexpr qint64 kMaxCacheFile = 16 * 1024 * 1024;
} // namespace

PageCache::PageCache(const QString& bookPath) : m_bookPath(bookPath)
{
    if (!bookPath.isEmpty() && QFileInfo::exists(bookPath))
        m_file = Paths::bookCacheFolder(bookPath) + QStringLiteral("/pages.json");
}

QString PageCache::identity() const
{
    const QFileInfo info(m_bookPath);
    return QStringLiteral("%1:%2:%3")
        .arg(kVersion)
        .arg(info.size())
        .arg(info.lastModified().toMSecsSinceEpoch());
}

bool PageCache::read(QVariantMap* data) const
{
    if (m_file.isEmpty())
        return false;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCacheFile)
        return false;
    const QVariantMap map = QJsonDocument::fromJson(file.readAll()).toVariant().toMap();
    if (map.value(QStringLiteral("identity")).toString() != identity())
        return false;
    *data = map;
    return true;
}

void PageCache::write(const QVariantMap& data)
{
    if (m_file.isEmpty())
        return;
    QVariantMap map = data;
    map.insert(QStringLiteral("identity"), identity());
    QSaveFile file(m_file);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(QJsonDocument::fromVariant(map).toJson(QJsonDocument::Compact));
    file.commit();
}

bool PageCache::readSpans(int unitCount, QVector<TextMap::Span>* spans, int* characters) const
{
    QVariantMap data;
    if (!read(&data))
        return false;
    const QStringList list = data.value(QStringLiteral("spans")).toString().split(QLatin1Char(';'));
    if (list.size() != unitCount)
        return false;
    QVector<TextMap::Span> out;
    out.reserve(unitCount);
    int previous = 0;
    for (const QString& item : list) {
        const QStringList parts = item.split(QLatin1Char(','));
        if (parts.size() != 3)
            return false;
        TextMap::Span s;
        bool ok[3] = {false, false, false};
        s.start = parts.at(0).toInt(&ok[0]);
        s.lead = parts.at(1).toInt(&ok[1]);
        s.length = parts.at(2).toInt(&ok[2]);
        if (!ok[0] || !ok[1] || !ok[2] || s.start < previous || s.lead < 0 || s.length < 0)
            return false;
        previous = s.start;
        out << s;
    }
    bool ok = false;
    const int count = data.value(QStringLiteral("characters")).toString().toInt(&ok);
    if (!ok || count < previous)
        return false;
    *spans = out;
    *characters = count;
    return true;
}

void PageCache::writeSpans(const QVector<TextMap::Span>& spans, int characters)
{
    QVariantMap data;
    read(&data);
    QStringList list;
    list.reserve(spans.size());
    for (const TextMap::Span& s : spans)
        list << QStringLiteral("%1,%2,%3").arg(s.start).arg(s.lead).arg(s.length);
    data.insert(QStringLiteral("spans"), list.join(QLatin1Char(';')));
    data.insert(QStringLiteral("characters"), QString::number(characters));
    write(data);
}

QString PageCache::readPages(const QString& layoutKey) const
{
    QVariantMap data;
    if (!read(&data))
        return QString();
    return data.value(QStringLiteral("layouts")).toMap().value(layoutKey).toMap().value("pages").toString();
}

void PageCache::writePages(const QString& layoutKey, const QString& table)
{
    QVariantMap data;
    read(&data);
    QVariantMap layouts = data.value(QStringLiteral("layouts")).toMap();
    QVariantMap entry;
    entry.insert(QStringLiteral("pages"), table);
    entry.insert(QStringLiteral("used"), QDateTime::currentMSecsSinceEpoch());
    layouts.insert(layoutKey, entry);
    while (layouts.size() > kMaxLayouts) {
        // The layout used longest ago goes.
        QString oldest;
        qint64 oldestTime = std::numeric_limits<qint64>::max();
        for (auto it = layouts.constBegin(); it != layouts.constEnd(); ++it) {
            const qint64 used = it.value().toMap().value(QStringLiteral("used")).toLongLong();
            if (used < oldestTime) {
                oldestTime = used;
                oldest = it.key();
            }
        }
        layouts.remove(oldest);
    }
    data.insert(QStringLiteral("layouts"), layouts);
    write(data);
}
