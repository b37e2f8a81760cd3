#pragma once

#include <QStyledItemDelegate>

/// Paints a search result (column 0) as rich text: the caption in bold, under
/// it the part of the paragraph around the first hit, hits in bold. Rows have
/// one height (the caption and two lines), so thousands of results scroll
/// without laying each one out. Other columns are painted the standard way.
///
/// The paragraph text comes from the document already escaped, with <b> tags
/// round the hits; the caption is plain text and is escaped here.
class SearchTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    /// Lines of paragraph text shown under the caption.
    static constexpr int TextLines = 2;
    static constexpr int Padding = 6;

    using QStyledItemDelegate::QStyledItemDelegate;

    /// The rich text of a row: "<b>caption</b><br/>excerpt".
    static QString rowHtml(const QString& caption, const QString& richText);
    /// The part of `richText` (escaped text with <b>…</b> marks) that starts
    /// about `before` characters ahead of the first mark and holds at most
    /// `length` characters, cut at spaces, with "…" where text was left out.
    /// Never cuts inside a tag or an entity and keeps <b> balanced; the text
    /// stays escaped. Short texts come back unchanged.
    static QString excerpt(const QString& richText, int before = 20, int length = 200);
    /// Height of every row for `font`.
    static int rowHeight(const QFont& font);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
