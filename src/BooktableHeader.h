#pragma once

#include <QHeaderView>
#include <QPixmap>

/// The table's header: sections as the style draws them, with the program's
/// own sort mark (":/style/images/Sort.png", turned over for ascending).
class BooktableHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit BooktableHeader(QWidget* parent = nullptr);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QPixmap m_descending;
    QPixmap m_ascending;
};
