#include "SearchTableDelegate.h"

#include "SearchModel.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPainter>
#include <QTextDocument>

namespace {
struct Token
{
    int start = 0;
    int length = 0;
    bool visible = true; ///< a character or an entity (one character shown)
    bool open = false;   ///< <b>
    bool close = false;  ///< </b>
    bool space = false;
};

QVector<Token> tokenize(const QString& html)
{
    QVector<Token> tokens;
    tokens.reserve(html.size());
    int i = 0;
    while (i < html.size()) {
        Token token;
        token.start = i;
        const QChar c = html.at(i);
        int end = i + 1;
        if (c == QLatin1Char('<')) {
            const int close = html.indexOf(QLatin1Char('>'), i);
            if (close > i) {
                end = close + 1;
                token.visible = false;
                const QStringRef tag = html.midRef(i, end - i);
                token.open = tag.compare(QLatin1String("<b>"), Qt::CaseInsensitive) == 0;
                token.close = tag.compare(QLatin1String("</b>"), Qt::CaseInsensitive) == 0;
            }
        } else if (c == QLatin1Char('&')) {
            const int semi = html.indexOf(QLatin1Char(';'), i);
            if (semi > i && semi - i <= 10)
                end = semi + 1;
        } else if (c.isHighSurrogate() && i + 1 < html.size() && html.at(i + 1).isLowSurrogate()) {
            end = i + 2;
        } else {
            token.space = c.isSpace();
        }
        token.length = end - i;
        tokens << token;
        i = end;
    }
    return tokens;
}
} // namespace

QString SearchTableDelegate::excerpt(const QString& richText, int before, int length)
{
    const QVector<Token> tokens = tokenize(richText);
    // Visible characters, and the first one inside a mark.
    int visible = 0;
    int firstHit = -1;
    bool inMark = false;
    for (const Token& token : tokens) {
        if (token.open)
            inMark = true;
        if (token.close)
            inMark = false;
        if (token.visible) {
            if (inMark && firstHit < 0)
                firstHit = visible;
            ++visible;
        }
    }
    // The row shows two lines: the hit must come early even in a short
    // paragraph, so the text ahead of it is cut whatever the length.
    const int hitAt = firstHit < 0 ? 0 : firstHit;
    if (visible <= length && hitAt <= before)
        return richText;

    int from = qMax(0, hitAt - before);
    int to = qMin(visible, from + length);

    // Visible index -> token index, and cuts moved to spaces nearby.
    QVector<int> tokenOf;
    tokenOf.reserve(visible);
    for (int t = 0; t < tokens.size(); ++t) {
        if (tokens.at(t).visible)
            tokenOf << t;
    }
    if (from > 0) {
        // Never past the hit itself (a hit of several words has spaces).
        const int limit = firstHit >= from ? firstHit : visible;
        for (int k = from; k < qMin(from + 20, limit); ++k) {
            if (tokens.at(tokenOf.at(k)).space) {
                from = k + 1;
                break;
            }
        }
    }
    if (to < visible) {
        for (int k = to - 1; k > qMax(from, to - 20); --k) {
            if (tokens.at(tokenOf.at(k)).space) {
                to = k;
                break;
            }
        }
    }

    const int firstToken = tokenOf.at(from);
    const int endToken = to < visible ? tokenOf.at(to) : tokens.size();
    bool bold = false;
    for (int t = 0; t < firstToken; ++t) {
        if (tokens.at(t).open)
            bold = true;
        if (tokens.at(t).close)
            bold = false;
    }
    QString out;
    out.reserve(richText.size());
    if (from > 0)
        out += QChar(0x2026);
    if (bold)
        out += QLatin1String("<b>");
    for (int t = firstToken; t < endToken; ++t) {
        const Token& token = tokens.at(t);
        if (token.open)
            bold = true;
        if (token.close)
            bold = false;
        out += richText.midRef(token.start, token.length);
    }
    if (bold)
        out += QLatin1String("</b>");
    if (to < visible)
        out += QChar(0x2026);
    return out;
}

QString SearchTableDelegate::rowHtml(const QString& caption, const QString& richText)
{
    return QStringLiteral("<b>%1</b><br/>%2").arg(caption.toHtmlEscaped(), excerpt(richText));
}

int SearchTableDelegate::rowHeight(const QFont& font)
{
    const QFontMetrics metrics(font);
    return metrics.lineSpacing() * (TextLines + 1) + 2 * Padding + 4;
}

void SearchTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    if (index.column() != 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString html = rowHtml(index.data(SearchModel::CaptionRole).toString(),
                                 index.data(SearchModel::TextRole).toString());
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const bool hover = opt.state & QStyle::State_MouseOver;
    const bool selected = opt.state & QStyle::State_Selected;
    if (hover)
        painter->fillRect(opt.rect, opt.palette.brush(QPalette::Highlight));

    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                               .adjusted(Padding, Padding, -Padding, 0);
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(opt.font);
    doc.setTextWidth(textRect.width());
    doc.setHtml(html);

    QAbstractTextDocumentLayout::PaintContext context;
    const QPalette::ColorRole role = selected || hover ? QPalette::HighlightedText : QPalette::Text;
    context.palette.setColor(QPalette::Text, opt.palette.color(role));
    // Whole lines only: a line past the last one must not peek in half cut.
    const int lines = QFontMetrics(opt.font).lineSpacing() * (TextLines + 1) + 2;
    context.clip = QRectF(0, 0, textRect.width(), qMin(lines, opt.rect.bottom() - textRect.top()));
    painter->save();
    painter->translate(textRect.topLeft());
    painter->setClipRect(context.clip);
    doc.documentLayout()->draw(painter, context);
    painter->restore();
}

QSize SearchTableDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.column() != 0)
        return QStyledItemDelegate::sizeHint(option, index);
    return QSize(option.rect.width(), rowHeight(option.font));
}
