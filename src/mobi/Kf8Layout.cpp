#include "mobi/Kf8Layout.h"

#include "mobi/Bytes.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMobi)

namespace mobi {

namespace {
constexpr int kSkeletonCountTag = 1;
constexpr int kPositionTag = 6; // start and length
} // namespace

QList<QPair<qint64, qint64>> Kf8Layout::flows(const QByteArray& text, const QByteArray& fdst)
{
    QList<QPair<qint64, qint64>> result;
    if (fdst.left(4) == "FDST") {
        const quint32 tableStart = bytes::be32(fdst, 4);
        const quint32 count = bytes::be32(fdst, 8);
        for (quint32 i = 0; i < count; ++i) {
            const qint64 at = qint64(tableStart) + 8 * qint64(i);
            if (!bytes::fits(fdst, at, 8))
                break;
            const qint64 start = qMin<qint64>(bytes::be32(fdst, at), text.size());
            const qint64 end = qMin<qint64>(bytes::be32(fdst, at + 4), text.size());
            result.append({start, qMax(start, end)});
        }
    }
    if (result.isEmpty())
        result.append({0, text.size()});
    return result;
}

void Kf8Layout::assemble(const QByteArray& markup, const QList<MobiIndex::Entry>& skeletons,
                         const QList<MobiIndex::Entry>& fragments, MobiContent& content, bool startOnly)
{
    content.parts.clear();
    content.fragmentStarts.clear();
    if (skeletons.isEmpty()) {
        if (!startOnly)
            content.parts.append({markup, 0});
        return;
    }
    const qint64 size = markup.size();
    int next = 0;
    for (const MobiIndex::Entry& skeleton : skeletons) {
        const quint32 count = skeleton.value(kSkeletonCountTag, 0, 0);
        if (startOnly) {
            // The file's fragments follow its skeleton in the flow.
            qint64 end = qint64(skeleton.value(kPositionTag, 0, 0)) + skeleton.value(kPositionTag, 1, 0);
            for (int i = next; i < next + int(count) && i < fragments.size(); ++i)
                end += fragments.at(i).value(kPositionTag, 1, 0);
            if (end > size)
                return;
        }
        const qint64 start = qMin<qint64>(skeleton.value(kPositionTag, 0, 0), size);
        const qint64 length = qMin<qint64>(skeleton.value(kPositionTag, 1, 0), size - start);
        QByteArray file = markup.mid(int(start), int(length));
        qint64 base = start + length;
        for (quint32 i = 0; i < count && next < fragments.size(); ++i, ++next) {
            const MobiIndex::Entry& fragment = fragments.at(next);
            bool ok = false;
            const qint64 insertAt = fragment.label.toLongLong(&ok);
            const qint64 fragmentLength = qBound<qint64>(0, fragment.value(kPositionTag, 1, 0), size - base);
            const QByteArray piece = markup.mid(int(base), int(fragmentLength));
            base += fragmentLength;
            qint64 local = qBound<qint64>(0, ok ? insertAt - start : file.size(), file.size());
            // A position inside a tag (damaged tables) would cut the tag in
            // two: insert after it instead.
            const int open = local > 0 ? file.lastIndexOf('<', int(local) - 1) : -1;
            const int close = local > 0 ? file.lastIndexOf('>', int(local) - 1) : -1;
            if (open > close) {
                const int end = file.indexOf('>', int(local));
                local = end < 0 ? file.size() : end + 1;
                qCWarning(lcMobi) << "KF8 fragment" << next << "insert position lies inside a tag";
            }
            file.insert(int(local), piece);
            content.fragmentStarts << start + local;
        }
        content.parts.append({file, start});
    }
}

} // namespace mobi
