#include "BooktableHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>

BooktableHeader::BooktableHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setObjectName("booktableHeader");
    m_descending.load(":/style/images/Sort.png");
    m_ascending = m_descending.transformed(QTransform().scale(1, -1));
    setSectionsClickable(true);
    setSortIndicatorShown(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void BooktableHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.section = logicalIndex;
    option.text =
        model() ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString() : QString();
    const QVariant alignment =
        model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    option.textAlignment = alignment.isValid() ? Qt::Alignment(alignment.toInt()) : defaultAlignment();
    option.sortIndicator = QStyleOptionHeader::None;
    option.position = QStyleOptionHeader::Middle;
    const bool sorted = isSortIndicatorShown() && sortIndicatorSection() == logicalIndex;

    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    QStyleOptionHeader label = option;
    label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    // Left-aligned captions line up with the cells' text below them.
    if (!(option.textAlignment & Qt::AlignHCenter))
        label.rect.adjust(8, 0, 0, 0);
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(option.text);
    const int markSpace = m_descending.width() + 4;
    if (sorted && option.textAlignment & Qt::AlignHCenter) {
        // A narrow section keeps the whole caption: it moves left to make
        // room for the mark instead of being cut.
        if (textWidth + 2 * markSpace <= label.rect.width())
            label.rect.adjust(0, 0, -markSpace, 0);
        else {
            label.rect = rect.adjusted(1, 0, 0, 0);
            label.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        }
    }
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    if (sorted && !option.text.isEmpty()) {
        const QPixmap& mark = sortIndicatorOrder() == Qt::AscendingOrder ? m_ascending : m_descending;
        int x = label.rect.left() + textWidth + 2;
        if (label.textAlignment & Qt::AlignHCenter)
            x = label.rect.left() + (label.rect.width() + textWidth) / 2 + 6;
        x = qMin(x, rect.right() - mark.width() - 1);
        painter->drawPixmap(x, rect.top() + (rect.height() - mark.height()) / 2, mark);
    }
    painter->restore();
}
