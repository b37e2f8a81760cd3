#pragma once

#include "TextDocument.h"

#include <QImage>
#include <QObject>
#include <QRectF>
#include <QTimer>
#include <QVector>

#include <array>
#include <list>

class QPainter;

/// Draws a reflowable book's pages as the reader shows them: the spread (one
/// page, or two side by side) on the profile's paper, each page's number under
/// its text.
///
/// Drawing a page of text costs a few milliseconds, most of a page turn, so
/// the painter keeps pictures of the pages it drew and, after every paint,
/// draws the spread the reader turns to next (or back to, when reading
/// backwards) in the idle time of the event loop. A turn then copies a
/// finished picture. A picture is used only while the page's layout, place
/// in it, highlights, paper colour and pixel ratio are the same, so it never
/// shows anything else than drawing the page afresh would.
///
/// GUI thread only (the document's thread).
class TextPagePainter : public QObject
{
    Q_OBJECT
public:
    explicit TextPagePainter(TextDocument* document, QObject* parent = nullptr);
    ~TextPagePainter() override;

    /// Draws the current spread into `area` (the whole reading area, already
    /// filled with the document's background colour) on a device of pixel
    /// ratio `devicePixelRatio`, then schedules drawing the next one.
    void paint(QPainter& painter, const QRect& area, qreal devicePixelRatio);

    /// Forgets the pictures and any pending drawing ahead (a re-layout or a
    /// reload begins).
    void reset();

    /// False: every page is drawn afresh and nothing ahead (tests, benchmark
    /// comparisons). Default true.
    void setKeepsPictures(bool on);

    /// Pages drawn into pictures so far, ahead of time or not (tests).
    int picturesDrawn() const { return m_picturesDrawn; }

private:
    struct Key
    {
        quint64 layoutId = 0;
        QRectF rect;
        qreal pixelRatio = 1;
        QRgb paper = 0;
        /// Per highlight: from, to and colour.
        QVector<std::array<quint32, 3>> highlights;
        bool operator==(const Key& other) const;
    };
    struct Picture
    {
        Key key;
        QImage image;
    };

    void drawPage(QPainter& painter, int page, const QRect& target, qreal pixelRatio);
    /// The text of a page at the painter's origin.
    static void drawText(QPainter& painter, const TextDocument::PageView& view);
    /// The picture of `page`, drawn if it is not kept; null when the page
    /// has no layout or its picture would be too large to keep.
    const QImage* picture(int page, qreal pixelRatio);
    void drawAhead();

    TextDocument* m_document;
    std::list<Picture> m_pictures; ///< most recently used first
    QTimer m_aheadTimer;
    bool m_keepsPictures = true;
    int m_lastPage = 0;
    bool m_backwards = false;
    qreal m_pixelRatio = 1;
    int m_picturesDrawn = 0;
};
