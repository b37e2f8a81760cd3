#include "TextDocument.h"

#include "Settings.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLoggingCategory>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include <algorithm>
#include <set>

Q_LOGGING_CATEGORY(lcTextDocument, "lanternleaf.textdocument", QtWarningMsg)

namespace {

// A page smaller than this cannot hold a line; pages are never made smaller,
// so a tiny window cannot turn every line into a page of its own.
constexpr qreal kMinPageSide = 16.0;
// How many lines the page-start correction may walk before giving up.
constexpr int kMaxLineWalk = 100000;

// Paragraph text for a rich-text label: the book's text is escaped first, then
// the hits are wrapped in <b>, so "<" or "&" in the book show as written.
QString markHits(const QString& plain, const QString& query)
{
    QString out;
    int from = 0;
    for (int i = plain.indexOf(query, 0, Qt::CaseInsensitive); i >= 0;
         i = plain.indexOf(query, from, Qt::CaseInsensitive)) {
        out += plain.mid(from, i - from).toHtmlEscaped();
        out += QStringLiteral("<b>%1</b>").arg(query.toHtmlEscaped());
        from = i + query.size();
    }
    out += plain.mid(from).toHtmlEscaped();
    return out;
}

QString labelText(QString text)
{
    text.replace(QChar::LineSeparator, QLatin1Char(' '));
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

} // namespace

TextDocument::TextDocument(QObject* parent) : QTextDocument(parent)
{
    setDocumentMargin(0);
    setUndoRedoEnabled(true);
    m_highlightTimer.setSingleShot(true);
    m_highlightTimer.setInterval(1000);
    connect(&m_highlightTimer, &QTimer::timeout, this, &TextDocument::resetHighlight);
    connect(documentLayout(), &QAbstractTextDocumentLayout::pageCountChanged, this,
            &TextDocument::layoutPageCountChanged);
    // Format-only edits (highlights) keep every position; anything else may
    // move anchors.
    connect(this, &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if (removed != added)
            m_anchorsValid = false;
    });
}

TextDocument::~TextDocument() = default;

void TextDocument::rebuild() {}

void TextDocument::load() {}

QSize TextDocument::imageSize(const QString& name) const
{
    Q_UNUSED(name)
    return QSize(-1, -1);
}

void TextDocument::clear()
{
    QTextDocument::clear();
    contentReplaced();
}

void TextDocument::reloadImages() {}

void TextDocument::contentReplaced()
{
    // The text must never be undone: only highlights may live in the history.
    clearUndoRedoStacks();
    m_highlight = Highlight::None;
    m_searchCleared = true;
    m_anchorsValid = false;
    m_highlightTimer.stop();
}

// --- pages and positions ---

qreal TextDocument::pageHeight() const
{
    return pageSize().height();
}

int TextDocument::pageCount() const
{
    if (isEmpty())
        return 0;
    return documentLayout()->pageCount();
}

int TextDocument::pageNumberReserve() const
{
    return QFontMetrics(m_font).height();
}

void TextDocument::ensureLayout() const
{
    // The layout engine lays out lazily and, after an edit, only partly; block
    // rectangles read before it finishes may be stale. Finishing is cheap when
    // nothing is pending.
    documentLayout()->pageCount();
}

int TextDocument::calcPageByPosition(int position) const
{
    const int height = qRound(pageHeight());
    if (height <= 0)
        return 1;
    ensureLayout();
    qreal y = 0;
    const QTextBlock block = findBlock(position);
    if (block.isValid()) {
        const QRectF rect = documentLayout()->blockBoundingRect(block);
        y = rect.top();
        if (const QTextLayout* layout = block.layout()) {
            const QTextLine line = layout->lineForTextPosition(position - block.position());
            if (line.isValid())
                y += line.y();
        }
    }
    return qRound(y) / height + 1;
}

int TextDocument::calcPositionByPage(const int page) const
{
    if (isEmpty())
        return 0;
    ensureLayout();
    const qreal height = pageHeight();
    const QPointF point(0, height > 0 ? (page - 1) * height : 0);
    QAbstractTextDocumentLayout* layout = documentLayout();
    int pos = layout->hitTest(point, Qt::ExactHit);
    qCDebug(lcTextDocument) << "ExcatHit pos:" << pos;
    if (pos == -1) {
        pos = layout->hitTest(point, Qt::FuzzyHit);
        qCDebug(lcTextDocument) << "FuzzyHit pos:" << pos;
    }
    if (pos < 0 || height <= 0)
        return qMax(pos, 0);

    // A fuzzy hit in the gap above a page may answer the end of the previous
    // page; the reader would then be sent one page back after every re-layout.
    // Walk on to the first line that really starts on `page`.
    if (calcPageByPosition(pos) < page) {
        int walked = 0;
        for (QTextBlock b = findBlock(pos); b.isValid() && walked < kMaxLineWalk; b = b.next()) {
            const QTextLayout* tl = b.layout();
            if (!tl)
                continue;
            for (int i = 0; i < tl->lineCount(); ++i, ++walked) {
                const int start = b.position() + tl->lineAt(i).textStart();
                if (start < pos)
                    continue;
                if (calcPageByPosition(start) >= page)
                    return start;
            }
        }
    }
    return pos;
}

int TextDocument::calcProgressByPage(const int page) const
{
    const int count = pageCount();
    if (count <= 0)
        return 0;
    return qRound(float(page) / float(count) * 100.0f);
}

double TextDocument::progress() const
{
    const int count = pageCount();
    if (count <= 0)
        return 0.0;
    return double(float(m_page) / float(count) * 100.0f);
}

void TextDocument::setPage(int page)
{
    emit beginPageChanged();
    m_page = page;
    emit pageChanged();
    emit endPageChanged();
}

void TextDocument::setPageByPosition(int position)
{
    setPage(calcPageByPosition(position));
}

void TextDocument::setPageByProgress(float progress)
{
    const int position = int(lastBlock().position() / 100.0 * progress);
    setPageByPosition(position);
}

void TextDocument::setPageByBlockNumber(int blockNumber)
{
    const QTextBlock block = findBlockByNumber(blockNumber);
    if (block.isValid())
        setPageByPosition(block.position());
}

void TextDocument::next()
{
    const int count = pageCount();
    if (m_page >= count)
        return;
    setPage(qMin(m_page + m_columnCount, count));
}

void TextDocument::previous()
{
    if (m_page < 1 || pageCount() == 0 || m_page <= m_columnCount)
        return;
    setPage(m_page - m_columnCount);
}

void TextDocument::layoutPageCountChanged(int newPageCount)
{
    m_layoutPageCount = newPageCount;
}

// --- geometry ---

void TextDocument::setColumnCount(int count)
{
    m_columnCount = count;
    if (m_relayouting) {
        m_relayoutPending = true;
    } else {
        relayout();
    }
    emit columnCountChanged(count);
}

void TextDocument::setViewPortSize(QSize size)
{
    if (size == m_viewPortSize)
        return;
    if (m_relayouting) {
        // A resize arriving while pending events run inside a re-layout: the
        // running re-layout applies it before it returns.
        m_viewPortSize = size;
        m_relayoutPending = true;
        return;
    }
    undoHighlight();
    m_viewPortSize = size;
    emit beginResizePage();
    QCoreApplication::processEvents();
    relayout();
    emit endResizePage();
}

QSize TextDocument::pageBox() const
{
    if (m_columnCount == 1)
        return m_viewPortSize;
    if (m_columnCount == 2)
        return QSize(m_viewPortSize.width() / 2, m_viewPortSize.height());
    return QSize(600, 800);
}

void TextDocument::applyPageSize()
{
    const QSize box = pageBox();
    const qreal width = box.width() - (m_margins.left() + m_margins.right());
    const qreal height = box.height() - (pageNumberReserve() + m_margins.top() + m_margins.bottom());
    setPageSize(QSizeF(qMax(width, kMinPageSide), qMax(height, kMinPageSide)));
}

void TextDocument::relayout()
{
    // No reading area yet: keep the viewer's provisional page size rather than
    // laying the whole book out for nothing.
    if (pageBox().width() < 0 || pageBox().height() < 0)
        return;
    m_relayouting = true;
    // Keep the place of the previous re-layout while the reader has not turned
    // the page since: taking the top of the page each time would drift back a
    // little with every resize.
    const int from = position();
    if (m_savedForPage != m_page || calcPageByPosition(m_savedPosition) != m_page)
        m_savedPosition = from;
    // First position after the last visible page: the page after the pair in
    // two-column mode, the next page with one column.
    const int visibleEnd = m_page + (m_columnCount == 2 ? 2 : 1);
    const int to = visibleEnd > pageCount() ? characterCount() - 1 : calcPositionByPage(visibleEnd);
    do {
        m_relayoutPending = false;
        applyPageSize();
        // Finish the new layout before the highlight edit: an edit arriving
        // while the engine is still laying out lazily leaves the rest of the
        // book with stale (too few) pages.
        ensureLayout();
        reloadImages();
        highlightRange(from, to);
        setPageByPosition(m_savedPosition);
        QCoreApplication::processEvents();
    } while (m_relayoutPending);
    m_savedForPage = m_page;
    m_highlightTimer.start();
    m_relayouting = false;
}

// --- highlights ---

void TextDocument::undoHighlight()
{
    if (m_highlight == Highlight::None)
        return;
    if (isUndoAvailable())
        undo();
    if (m_highlight == Highlight::Search)
        m_searchCleared = true;
    m_highlight = Highlight::None;
}

void TextDocument::highlightRange(int from, int to)
{
    undoHighlight();
    to = qMin(to, characterCount() - 1);
    if (to <= from || !m_highlightColor.isValid())
        return;
    // Background only: merging a whole character format would change fonts
    // and with them the layout the reader is looking at.
    QTextCharFormat format;
    format.setBackground(QBrush(m_highlightColor));
    const int before = availableUndoSteps();
    QTextCursor cursor(this);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.mergeCharFormat(format);
    cursor.endEditBlock();
    if (availableUndoSteps() > before)
        m_highlight = Highlight::Place;
}

void TextDocument::resetHighlight()
{
    // Only the place-finding highlight: a search made in the meantime keeps
    // its hits.
    if (m_highlight == Highlight::Place)
        undoHighlight();
    emit pageChanged();
}

// --- search ---

QList<SearchResult> TextDocument::search(const QString& text)
{
    QList<SearchResult> results;
    if (!m_searchCleared || m_highlight != Highlight::None)
        undoHighlight();
    m_searchCleared = true;
    // White space alone would match every paragraph of the book.
    if (text.trimmed().isEmpty())
        return results;

    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    if (isNumber && number >= 1 && number <= pageCount()) {
        SearchResult jump;
        jump.position = calcPositionByPage(number);
        jump.text = tr("Go to page %1").arg(number);
        jump.title = chapterTitle(jump.position);
        jump.page = number;
        jump.isPageJump = true;
        results << jump;
    }

    QColor color = Settings::instance()->data().profile().selectionColor;
    if (!color.isValid())
        color = m_highlightColor.isValid() ? m_highlightColor : QColor(Qt::yellow);
    QTextCharFormat format;
    format.setBackground(QBrush(color));

    std::set<int> paragraphs;
    const int before = availableUndoSteps();
    QTextCursor edit(this);
    edit.beginEditBlock(); // all hits are one undo step
    QTextCursor cursor(this);
    while (true) {
        cursor = find(text, cursor);
        if (cursor.isNull())
            break;
        paragraphs.insert(findBlock(cursor.selectionEnd()).blockNumber());
        cursor.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
        if (cursor.atEnd())
            break;
    }
    edit.endEditBlock();
    m_searchCleared = paragraphs.empty();
    if (!paragraphs.empty() && availableUndoSteps() > before)
        m_highlight = Highlight::Search;

    for (int blockNumber : paragraphs) {
        const QTextBlock block = findBlockByNumber(blockNumber);
        SearchResult r;
        r.position = block.position();
        r.text = markHits(labelText(block.text()), text);
        r.title = chapterTitle(r.position);
        r.page = calcPageByPosition(r.position);
        results << r;
    }
    std::stable_sort(results.begin(), results.end(), [](const SearchResult& a, const SearchResult& b) {
        if (a.isPageJump != b.isPageJump)
            return a.isPageJump;
        if (a.page != b.page)
            return a.page < b.page;
        return a.position < b.position;
    });
    return results;
}

void TextDocument::clearSearch()
{
    qCDebug(lcTextDocument) << "TextDocument::clearSearch";
    if (m_searchCleared)
        return;
    if (m_highlight == Highlight::Search)
        undoHighlight();
    m_searchCleared = true;
    emit endCleanSearch();
}

// --- table of contents and anchors ---

QList<TocPoint> TextDocument::toc() const
{
    QList<TocPoint> points = tocPoints;
    refreshTocPages(points);
    return points;
}

void TextDocument::refreshTocPages(QList<TocPoint>& points) const
{
    for (TocPoint& p : points) {
        p.page = calcPageByPosition(p.position);
        refreshTocPages(p.children);
    }
}

QString TextDocument::chapterTitle(int position) const
{
    Q_UNUSED(position)
    return QString();
}

void TextDocument::ensureAnchorIndex() const
{
    if (m_anchorsValid)
        return;
    m_anchors.clear();
    for (QTextBlock b = begin(); b.isValid(); b = b.next()) {
        for (const QString& name : b.charFormat().anchorNames()) {
            if (!m_anchors.contains(name))
                m_anchors.insert(name, b.position());
        }
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            if (!f.isAnchor())
                continue;
            for (const QString& name : f.anchorNames()) {
                if (!m_anchors.contains(name))
                    m_anchors.insert(name, fragment.position());
            }
        }
    }
    m_anchorsValid = true;
}

int TextDocument::positionOfAnchor(const QString& name) const
{
    if (name.isEmpty())
        return 0;
    ensureAnchorIndex();
    return m_anchors.value(name, 0);
}
