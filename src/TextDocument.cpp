#include "TextDocument.h"

#include "BookResources.h"
#include "BookSearch.h"
#include "LayoutWorker.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QFutureWatcher>
#include <QLoggingCategory>
#include <QTextCursor>
#include <QtConcurrent>

#include <algorithm>

Q_LOGGING_CATEGORY(lcTextDocument, "lanternleaf.textdocument", QtWarningMsg)

namespace {

// A page smaller than this cannot hold a line; pages are never made smaller,
// so a tiny window cannot turn every line into a page of its own.
constexpr qreal kMinPageSide = 16.0;
// Chapters longer than this (characters of HTML) are laid out in pieces, so
// that laying out any unit on the GUI thread stays within a frame or two.
constexpr int kPieceSize = 48 * 1024;
// Page numbers arriving from the count are shown at most this often.
constexpr int kNumbersDelayMs = 200;

} // namespace

TextDocument::TextDocument(QObject* parent)
    : QTextDocument(parent), m_worker(new LayoutWorker(this)),
      m_places(*m_worker, [this](const QVector<int>& lengths) { m_pages.setLengths(lengths); }),
      m_pages(*this, m_places, *m_worker)
{
    setDocumentMargin(0);
    setUndoRedoEnabled(false);
    m_search = new BookSearch(*this, this);
    connect(m_search, &BookSearch::hitsChanged, this, &TextDocument::highlightsChanged);
    connect(m_worker, &LayoutWorker::textMapped, this, &TextDocument::onTextMapped);
    connect(&m_pages, &BookPages::pagesChanged, this, &TextDocument::numbersMaybeChanged);

    m_highlightTimer.setSingleShot(true);
    m_highlightTimer.setInterval(1000);
    connect(&m_highlightTimer, &QTimer::timeout, this, &TextDocument::resetHighlight);
    m_numbersTimer.setSingleShot(true);
    m_numbersTimer.setInterval(kNumbersDelayMs);
    connect(&m_numbersTimer, &QTimer::timeout, this, [this] {
        m_shownPage = page();
        m_shownCount = pageCount();
        m_shownExact = isPageCountExact();
        emit pageNumbersChanged();
    });
    m_prefetchTimer.setSingleShot(true);
    m_prefetchTimer.setInterval(0);
    connect(&m_prefetchTimer, &QTimer::timeout, this, &TextDocument::prefetch);
}

TextDocument::~TextDocument()
{
    // The background work stops at its next unit and delivers nothing more.
    delete m_search;
    delete m_worker;
    m_pages.dropLayouts();
}

void TextDocument::rebuild() {}

void TextDocument::load() {}

QSize TextDocument::imageSize(const QString& name) const
{
    Q_UNUSED(name)
    return QSize(-1, -1);
}

void TextDocument::reloadImages() {}

QList<TocPoint> TextDocument::buildToc() const
{
    return {};
}

// ---------------------------------------------------------------- the text

void TextDocument::setText(const BookText& text, const std::shared_ptr<BookResources>& resources,
                           const QString& bookPath)
{
    if (!m_opening) {
        assignText(text, resources, bookPath);
        return;
    }
    // The whole text after its opening: the opening's units are its first,
    // so the place on screen stays, and a place that waited for the rest is
    // taken now (or when the whole text is mapped).
    m_opening = false;
    const int unit = m_unit;
    const int unitPage = m_unitPage;
    const int pending = m_pendingPosition;
    assignText(text, resources, bookPath);
    // The layout settled on the opening already: counting the whole text
    // need not wait.
    m_pages.countAtOnce();
    if (pending >= 0)
        setPageByPosition(pending);
    else
        goTo(unit, unitPage);
    endWaitIfPlaced();
    numbersMaybeChanged();
}

void TextDocument::setOpeningText(const BookText& opening, const std::shared_ptr<BookResources>& resources,
                                  double share)
{
    // No cache folder: page tables and places of a part are not the book's.
    m_opening = false;
    assignText(opening, resources, QString());
    m_opening = true;
    m_openingShare = qBound(0.001, share, 1.0);
}

void TextDocument::finishInBackground(std::function<std::function<void()>()> work)
{
    const int stage = ++m_stage;
    auto* watcher = new QFutureWatcher<std::function<void()>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, stage] {
        const std::function<void()> apply = watcher->result();
        watcher->deleteLater();
        applyStage(apply, stage);
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void TextDocument::applyStage(const std::function<void()>& apply, int stage)
{
    if (stage != m_stage || !apply)
        return;
    if (m_relayouting || m_runningEvents) {
        // A re-layout lets events run in its middle: come back after it, so
        // that neither the whole text nor a failure (on which the viewer may
        // go) arrives inside one of this document's own calls.
        QTimer::singleShot(20, this, [this, apply, stage] { applyStage(apply, stage); });
        return;
    }
    apply();
}

void TextDocument::failLoad(const QString& reason)
{
    ++m_stage;
    m_opening = false;
    clear();
    m_places.forgetKept();
    setErrorString(reason);
    if (m_waitingForMap) {
        m_waitingForMap = false;
        emit endResizePage();
    }
    emit loadFailed();
}

void TextDocument::assignText(const BookText& text, const std::shared_ptr<BookResources>& resources,
                              const QString& bookPath)
{
    clearHighlights();
    m_pages.dropLayouts();
    m_toc.clear();
    m_tocBuilt = false;
    m_unit = 0;
    m_unitPage = 0;
    m_pendingPosition = -1;
    // The same text again (a rebuild after a style change) keeps its places
    // and its pages, which the style check renews.
    if (!m_places.setText(text, kPieceSize, currentStyle(), resources, bookPath))
        m_pages.reset(m_places.lengths());
}

void TextDocument::clear()
{
    QTextDocument::clear();
    m_places.clear();
    m_pages.clear();
    m_toc.clear();
    m_tocBuilt = false;
    m_unit = 0;
    m_unitPage = 0;
    m_pendingPosition = -1;
    clearHighlights();
}

void TextDocument::onTextMapped()
{
    if (!m_places.takeMap())
        return;
    ensureToc();
    if (m_pendingPosition >= 0) {
        const int position = m_pendingPosition;
        m_pendingPosition = -1;
        setPageByPosition(position);
    }
    endWaitIfPlaced();
    numbersMaybeChanged();
}

void TextDocument::endWaitIfPlaced()
{
    if (m_waitingForMap && m_pendingPosition < 0) {
        m_waitingForMap = false;
        emit endResizePage();
    }
}

QString TextDocument::plainText() const
{
    return m_places.plainText();
}

int TextDocument::textLength() const
{
    return m_places.textLength();
}

std::unique_ptr<QTextDocument> TextDocument::wholeDocument() const
{
    TextStyle style = currentStyle();
    style.pageSize = QSizeF();
    return ChunkDocument::wholeBook(m_places.text(), m_places.resources(), style);
}

bool TextDocument::isCounting() const
{
    return m_pages.isCounting();
}

// ---------------------------------------------------------------- layouts and counts

TextStyle TextDocument::currentStyle() const
{
    return m_pages.style();
}

void TextDocument::numbersMaybeChanged()
{
    if (m_places.isEmpty() || m_numbersTimer.isActive())
        return;
    if (page() != m_shownPage || pageCount() != m_shownCount || isPageCountExact() != m_shownExact)
        m_numbersTimer.start();
}

void TextDocument::prefetch()
{
    // One unit per turn of the event loop.
    if (m_pages.layOutNeighbour(m_unit))
        m_prefetchTimer.start();
}

// ---------------------------------------------------------------- pages and positions

int TextDocument::pageNumberReserve() const
{
    return QFontMetrics(m_font).height();
}

int TextDocument::page() const
{
    if (m_places.isEmpty())
        return 1;
    m_pages.checkStyle();
    return m_pages.table().firstPage(m_unit) + m_unitPage;
}

int TextDocument::pageCount() const
{
    if (m_places.isEmpty())
        return 0;
    m_pages.checkStyle();
    return m_pages.table().pageCount();
}

bool TextDocument::isPageCountExact() const
{
    if (m_places.isEmpty())
        return true;
    if (m_opening)
        return false;
    m_pages.checkStyle();
    return m_pages.table().isExact();
}

int TextDocument::position() const
{
    if (m_pendingPosition >= 0)
        return m_pendingPosition;
    if (m_places.isEmpty())
        return 0;
    m_pages.checkStyle();
    const int local = m_pages.table().startOfPage(m_unit, m_unitPage);
    if (!m_places.ensureSpans(m_unit != 0))
        return local;
    return m_places.toBook(m_unit, local);
}

int TextDocument::calcPageByPosition(int position) const
{
    if (m_places.isEmpty())
        return 1;
    m_pages.checkStyle();
    if (!m_places.ensureSpans(position > 0))
        return 1;
    const int unit = m_places.unitOf(position);
    return m_pages.table().firstPage(unit) +
           m_pages.table().pageInUnit(unit, m_places.toUnit(unit, position));
}

int TextDocument::calcPositionByPage(const int page) const
{
    if (m_places.isEmpty())
        return 0;
    m_pages.checkStyle();
    const PageTable::Place place = m_pages.table().locate(page);
    const int local = m_pages.table().startOfPage(place.unit, place.page);
    if (!m_places.ensureSpans(place.unit != 0))
        return local;
    return m_places.toBook(place.unit, local);
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
    if (isPageCountExact())
        return double(float(page()) / float(count) * 100.0f);
    // Page numbers are estimates: the position says how far the reader is
    // (in the opening, of the share of the book it makes).
    const double share = m_opening ? m_openingShare : 1.0;
    return double(float(position()) / float(qMax(1, m_places.characterCount() - 1)) * 100.0f) * share;
}

void TextDocument::goTo(int unit, int unitPage)
{
    if (m_places.unitCount() == 0) {
        emit beginPageChanged();
        emit pageChanged();
        emit endPageChanged();
        return;
    }
    unit = qBound(0, unit, m_places.unitCount() - 1);
    m_pages.laidOut(unit);
    emit beginPageChanged();
    m_unit = unit;
    m_unitPage = qBound(0, unitPage, m_pages.table().pagesOf(unit) - 1);
    m_shownPage = page();
    emit pageChanged();
    emit endPageChanged();
    m_prefetchTimer.start();
    numbersMaybeChanged();
}

void TextDocument::setPage(int page)
{
    if (m_places.isEmpty()) {
        goTo(0, 0);
        return;
    }
    m_pages.checkStyle();
    const PageTable::Place place = m_pages.table().locate(page);
    goTo(place.unit, place.page);
}

void TextDocument::setPageByPosition(int position)
{
    if (m_places.isEmpty() || position <= 0) {
        m_pendingPosition = -1;
        goTo(0, 0);
        return;
    }
    // Only the opening is there: a place beyond it waits for the rest.
    const bool beyond =
        m_opening && (!m_places.ensureSpans(false) || position >= m_places.characterCount() - 1);
    if (beyond || !m_places.ensureSpans(false)) {
        if (m_waitsInBackground) {
            // The map comes in a moment; the viewer shows its busy page until
            // the reader can be taken there.
            m_pendingPosition = position;
            if (!m_waitingForMap) {
                m_waitingForMap = true;
                emit beginResizePage();
            }
            return;
        }
        m_places.ensureSpans(true);
    }
    m_pendingPosition = -1;
    const int unit = m_places.unitOf(position);
    m_pages.laidOut(unit);
    goTo(unit, m_pages.table().pageInUnit(unit, m_places.toUnit(unit, position)));
}

void TextDocument::setPageByProgress(float progress)
{
    if (m_places.ensureSpans(true) && m_places.isMapped())
        setPageByPosition(m_places.positionOfProgress(progress));
}

void TextDocument::setPageByBlockNumber(int blockNumber)
{
    const int position = m_places.positionOfBlock(blockNumber);
    if (position >= 0)
        setPageByPosition(position);
}

void TextDocument::next()
{
    if (m_places.isEmpty() || page() >= pageCount())
        return;
    int unit = m_unit;
    int unitPage = m_unitPage + m_columnCount;
    m_pages.laidOut(unit);
    while (unitPage >= m_pages.table().pagesOf(unit)) {
        if (unit + 1 >= m_places.unitCount()) {
            unitPage = m_pages.table().pagesOf(unit) - 1; // never beyond the last page
            break;
        }
        unitPage -= m_pages.table().pagesOf(unit);
        ++unit;
        if (unitPage > 0 && !m_pages.table().isCounted(unit))
            m_pages.laidOut(unit);
    }
    goTo(unit, unitPage);
}

void TextDocument::previous()
{
    if (m_places.isEmpty() || pageCount() == 0)
        return;
    int unit = m_unit;
    int unitPage = m_unitPage - m_columnCount;
    while (unitPage < 0) {
        if (unit == 0)
            return; // on the first page (pair)
        --unit;
        if (!m_pages.table().isCounted(unit))
            m_pages.laidOut(unit);
        unitPage += m_pages.table().pagesOf(unit);
    }
    goTo(unit, unitPage);
}

void TextDocument::moveToHome()
{
    goTo(0, 0);
}

void TextDocument::moveToEnd()
{
    if (m_places.unitCount() == 0) {
        goTo(0, 0);
        return;
    }
    const int last = m_places.unitCount() - 1;
    m_pages.laidOut(last);
    goTo(last, m_pages.table().pagesOf(last) - 1);
}

void TextDocument::layoutPageCountChanged(int newPageCount)
{
    Q_UNUSED(newPageCount)
}

// ---------------------------------------------------------------- geometry

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
    m_placeFrom = m_placeTo = -1;
    m_viewPortSize = size;
    emit beginResizePage();
    m_runningEvents = true;
    QCoreApplication::processEvents();
    m_runningEvents = false;
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
    // No reading area yet: keep the viewer's provisional page size.
    if (pageBox().width() < 0 || pageBox().height() < 0)
        return;
    if (m_places.isEmpty() || m_pendingPosition >= 0) {
        applyPageSize();
        return;
    }
    m_relayouting = true;
    // Keep the place of the previous re-layout while the reader has not
    // turned the page since: taking the top of the page each time would
    // drift back a little with every resize.
    const int from = position();
    if (m_savedUnit != m_unit || m_savedUnitPage != m_unitPage ||
        calcPageByPosition(m_savedPosition) != page())
        m_savedPosition = from;
    // First position after the last visible page.
    // (Before the text is mapped nothing was shown that could be looked for:
    // the first layout of a book.)
    const int visibleEnd = page() + (m_columnCount == 2 ? 2 : 1);
    int to = from;
    if (m_places.ensureSpans(false))
        to = visibleEnd > pageCount() ? m_places.characterCount() - 1 : calcPositionByPage(visibleEnd);
    do {
        m_relayoutPending = false;
        applyPageSize();
        reloadImages();
        highlightRange(from, to);
        setPageByPosition(m_savedPosition);
        QCoreApplication::processEvents();
    } while (m_relayoutPending);
    m_savedUnit = m_unit;
    m_savedUnitPage = m_unitPage;
    m_highlightTimer.start();
    m_relayouting = false;
}

// ---------------------------------------------------------------- highlights

void TextDocument::highlightRange(int from, int to)
{
    m_placeFrom = m_placeTo = -1;
    if (to > from && m_highlightColor.isValid()) {
        m_placeFrom = from;
        m_placeTo = to;
    }
    emit highlightsChanged();
}

void TextDocument::highlightPlace(int from, int to)
{
    highlightRange(from, to);
    m_highlightTimer.start();
}

void TextDocument::clearHighlights()
{
    const bool hadPlace = m_placeFrom >= 0;
    m_placeFrom = m_placeTo = -1;
    // Also stops a running search.
    if (!m_search->clear() && hadPlace)
        emit highlightsChanged();
}

void TextDocument::resetHighlight()
{
    // Only the place-finding highlight: a search made in the meantime keeps
    // its hits.
    if (m_placeFrom >= 0) {
        m_placeFrom = m_placeTo = -1;
        emit highlightsChanged();
    }
    emit pageChanged();
}

QVector<QPair<int, int>> TextDocument::highlights() const
{
    QVector<QPair<int, int>> ranges;
    if (m_placeFrom >= 0)
        ranges << qMakePair(m_placeFrom, m_placeTo);
    for (int hit : m_search->hits())
        ranges << qMakePair(hit, hit + m_search->hitLength());
    return ranges;
}

TextDocument::PageView TextDocument::pageView(int page)
{
    PageView view;
    if (m_places.isEmpty() || page < 1 || page > pageCount())
        return view;
    const PageTable::Place place = m_pages.table().locate(page);
    BookPages::Laid* laid = m_pages.laidOut(place.unit);
    if (!laid)
        return view;
    const int unit = place.unit;
    const int unitPage = qMin(place.page, m_pages.table().pagesOf(unit) - 1);
    const QSizeF size = pageSize();
    view.document = laid->document.get();
    view.layoutId = laid->id;
    view.rect = QRectF(0, unitPage * size.height(), size.width(), size.height());
    const QVector<int>& hits = m_search->hits();
    const int hitLength = m_search->hitLength();
    if ((m_placeFrom < 0 && hits.isEmpty()) || !m_places.ensureSpans(false))
        return view;

    // The page's own text: from its first position to the next page's.
    const QVector<int>& starts = m_pages.table().starts(unit);
    const int pageFrom = starts.value(unitPage);
    const int pageTo = unitPage + 1 < starts.size() ? starts.at(unitPage + 1) : m_places.span(unit).length;
    const int bookFrom = m_places.toBook(unit, pageFrom);
    const int bookTo = m_places.toBook(unit, pageTo);
    const auto select = [&](int from, int to, const QColor& color) {
        from = qMax(from, bookFrom);
        to = qMin(to, bookTo + 1);
        if (to <= from)
            return;
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(laid->document.get());
        selection.cursor.setPosition(m_places.toUnit(unit, from));
        selection.cursor.setPosition(m_places.toUnit(unit, to), QTextCursor::KeepAnchor);
        selection.format.setBackground(QBrush(color));
        view.selections << selection;
    };
    if (m_placeFrom >= 0)
        select(m_placeFrom, m_placeTo, m_highlightColor);
    if (!hits.isEmpty()) {
        QColor color = Settings::instance()->data().profile().selectionColor;
        if (!color.isValid())
            color = m_highlightColor.isValid() ? m_highlightColor : QColor(Qt::yellow);
        auto it = std::lower_bound(hits.begin(), hits.end(), bookFrom - hitLength);
        for (; it != hits.end() && *it <= bookTo; ++it)
            select(*it, *it + hitLength, color);
    }
    return view;
}

QString TextDocument::pageText(int page)
{
    const PageView view = pageView(page);
    if (!view.document || !m_places.ensureSpans(true))
        return QString();
    const PageTable::Place place = m_pages.table().locate(page);
    const QVector<int>& starts = m_pages.table().starts(place.unit);
    const TextMap::Span& span = m_places.span(place.unit);
    const int from = qMax(span.lead, starts.value(place.page));
    const int to = place.page + 1 < starts.size() ? starts.at(place.page + 1) : span.length;
    return view.document->toPlainText().mid(from, qMax(0, to - from));
}

QString TextDocument::pageLabel(int page) const
{
    const QString number = QString::number(page);
    return isPageCountExact() ? number : QLatin1Char('~') + number;
}

// ---------------------------------------------------------------- search

QList<SearchResult> TextDocument::search(const QString& text)
{
    clearHighlights();
    const bool mapped = hasText() && !text.trimmed().isEmpty() && m_places.ensureSpans(true);
    return m_search->findAll(text, mapped ? m_places.map() : nullptr);
}

bool TextDocument::searchStep(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results)
{
    return m_search->step(text, state, budgetMs, results, m_worker->mapSource());
}

void TextDocument::clearSearch()
{
    if (m_search->clear())
        emit endCleanSearch();
}

bool TextDocument::isSearchCleared() const
{
    return m_search->isCleared();
}

// ---------------------------------------------------------------- table of contents and anchors

void TextDocument::ensureToc() const
{
    if (m_tocBuilt || m_places.isEmpty())
        return;
    m_places.ensureSpans(true);
    m_toc = buildToc();
    m_tocBuilt = true;
}

const QList<TocPoint>& TextDocument::tocPoints() const
{
    static const QList<TocPoint> none;
    if (m_places.isEmpty())
        return none;
    ensureToc();
    return m_toc;
}

QList<TocPoint> TextDocument::toc() const
{
    QList<TocPoint> points = tocPoints();
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

int TextDocument::positionOfAnchor(const QString& name) const
{
    return m_places.positionOfAnchor(name);
}
