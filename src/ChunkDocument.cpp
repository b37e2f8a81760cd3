#include "ChunkDocument.h"

#include "BookResources.h"
#include "BookText.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>

namespace {
// Positions of frame boundaries in a document's raw text.
constexpr ushort kBeginningOfFrame = 0xfdd0;
constexpr ushort kEndOfFrame = 0xfdd1;
} // namespace

QString TextStyle::key() const
{
    return QStringLiteral("%1|%2|%3|%4x%5")
        .arg(font.key())
        .arg(qHash(styleSheet), 0, 16)
        .arg(int(option.alignment()))
        .arg(pageSize.width())
        .arg(pageSize.height());
}

ChunkDocument::ChunkDocument(std::shared_ptr<BookResources> resources, QObject* parent)
    : QTextDocument(parent), m_resources(std::move(resources))
{
    setUndoRedoEnabled(false);
    setDocumentMargin(0);
}

void ChunkDocument::build(const QString& html, const TextStyle& style)
{
    setDefaultFont(style.font);
    setDefaultTextOption(style.option);
    setDefaultStyleSheet(style.styleSheet);
    if (!style.pageSize.isEmpty())
        setPageSize(style.pageSize);
    setHtml(html);
}

QVector<int> ChunkDocument::paginate()
{
    QAbstractTextDocumentLayout* layout = documentLayout();
    const int pages = qMax(1, layout->pageCount()); // lays out to the end
    const int height = qRound(pageSize().height());
    QVector<int> starts(pages, -1);
    if (height <= 0) {
        starts.fill(0);
        return starts;
    }
    // The page of a line is the page its top lies on, rounded as the reader
    // rounds a position's line.
    const auto mark = [&](qreal y, int position) {
        const int page = qRound(y) / height;
        if (page >= 0 && page < pages && starts.at(page) < 0)
            starts[page] = position;
    };
    for (QTextBlock block = begin(); block.isValid(); block = block.next()) {
        // An empty paragraph starts no page: a chapter ending in a page break
        // pushes the document's closing empty paragraph onto a page of its
        // own, which inside the whole book holds the next chapter.
        if (block.length() <= 1)
            continue;
        const qreal top = layout->blockBoundingRect(block).top();
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() == 0) {
            mark(top, block.position());
            continue;
        }
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            mark(top + line.y(), block.position() + line.textStart());
        }
    }
    starts[0] = 0;
    int last = pages - 1;
    while (last > 0 && starts.at(last) < 0)
        --last;
    starts.resize(last + 1);
    for (int page = last - 1; page > 0; --page) {
        if (starts.at(page) < 0)
            starts[page] = starts.at(page + 1);
    }
    return starts;
}

QString ChunkDocument::rawText(const QTextDocument& document)
{
    QString text = document.toRawText();
    for (QChar& c : text) {
        if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    }
    return text;
}

void ChunkDocument::collectAnchors(const QTextDocument& document, int offset, QHash<QString, int>& anchors)
{
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        for (const QString& name : b.charFormat().anchorNames()) {
            if (!anchors.contains(name))
                anchors.insert(name, offset + b.position());
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            if (!f.isAnchor())
                continue;
            for (const QString& name : f.anchorNames()) {
                if (!anchors.contains(name))
                    anchors.insert(name, offset + fragment.position());
            }
        }
    }
}

bool ChunkDocument::isParagraphEnd(QChar c)
{
    const ushort u = c.unicode();
    return u == QChar::ParagraphSeparator || u == kBeginningOfFrame || u == kEndOfFrame;
}

QVariant ChunkDocument::loadResource(int type, const QUrl& name)
{
    // Never the base class: it would read files named by the book.
    return m_resources ? m_resources->resource(type, name) : QVariant();
}

std::unique_ptr<QTextDocument> ChunkDocument::wholeBook(const BookText& text,
                                                        const std::shared_ptr<BookResources>& resources,
                                                        const TextStyle& style)
{
    std::unique_ptr<ChunkDocument> whole(new ChunkDocument(resources));
    if (text.isEmpty())
        return whole;
    if (!text.joined) {
        whole->build(text.wholeHtml(), style);
        return whole;
    }
    // As a book built chapter by chapter: each chapter parsed alone and
    // appended, keeping its first paragraph's formats, on a new page.
    whole->build(QString(), style);
    QTextCursor cursor(whole.get());
    cursor.beginEditBlock();
    for (int i = 0; i < text.chunks.size(); ++i) {
        ChunkDocument part(resources);
        part.build(text.chunkHtml(i), style);
        if (i > 0)
            cursor.insertBlock();
        const int start = cursor.position();
        cursor.insertFragment(QTextDocumentFragment(&part));
        QTextBlockFormat format = part.begin().blockFormat();
        if (i > 0)
            format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor first(whole->findBlock(start));
        first.setBlockFormat(format);
        first.setBlockCharFormat(part.begin().charFormat());
    }
    cursor.endEditBlock();
    return whole;
}
