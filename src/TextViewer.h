#pragma once

#include "BookDto.h"

#include <QColor>
#include <QFrame>
#include <QPoint>
#include <QPointer>
#include <QTimer>

class QAbstractAnimation;
class QPainter;
class TextDocument;
class TextPagePainter;
struct ReaderSettings;

/// Shows a reflowable book (EPUB, MOBI, PRC, FB2) page by page: one page, or
/// two side by side, each with its number under the text. Creates and owns
/// the book's TextDocument, styles it from the active reading profile through
/// the style template ":/ebook/ebookstyle/epub.css", turns pages on keys,
/// wheel and clicks (with an optional fade) and keeps the document's page
/// geometry in step with its own size.
///
/// Parsing and layout run on the GUI thread inside load(), reload() and the
/// document's re-layout (a large book's opening only: the document loads
/// the rest in the background); the host shows its busy page between
/// loadBegin() and loadFinished(), reloadBegin() and reloadFinished().
/// Pages are painted by a TextPagePainter, which draws the next ones ahead.
/// GUI thread only.
class TextViewer : public QFrame
{
    Q_OBJECT
public:
    TextViewer(const BookDto& book, QWidget* parent = nullptr);
    ~TextViewer() override;

    /// The book's document; owned by the viewer, never null.
    TextDocument* document() const { return m_document; }

    /// Parses the book and builds its text with the current style. Emits
    /// loadBegin() and loadFinished() around the work.
    void load();

    /// The style template with every placeholder filled from `settings`
    /// (exposed for tests).
    static QString styleSheetFor(const ReaderSettings& settings);

    /// Milliseconds the last paintEvent() took (benchmarks).
    double lastPaintMs() const { return m_lastPaintMs; }

public slots:
    /// Re-applies the style from the settings and rebuilds the text, keeping
    /// the reader's position.
    void reload();
    /// Hands the viewer's size to the document (which re-paginates).
    void resizeDone();
    void next();
    void previous();
    void moveToHome();
    void moveToEnd();

signals:
    void sizeChanged();
    void mouseClickLeftSide();
    void mouseClickRightSide();
    void mouseDoubleClick();
    void mouseScrollUp();
    void mouseScrollDown();
    void loadBegin();
    void loadFinished();
    void reloadBegin();
    void reloadFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private slots:
    void pageChanged();
    void onClickTimer();

private:
    friend class TestTextViewer;

    void applyStyle();
    void colourFadeFrame();
    void fadeOut();
    void fadeIn();
    template <typename Turn> void turnPage(Turn turn);

    QFrame* m_fadeFrame = nullptr;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_loading = false;
    bool m_showFade = false;
    TextDocument* m_document = nullptr;
    TextPagePainter* m_pagePainter = nullptr;
    QTimer m_clickTimer;
    QColor m_emptyColor = Qt::white;

    QPointer<QAbstractAnimation> m_fadeAnimation;
    bool m_reloading = false;
    bool m_reloadAgain = false;
    int m_wheelDelta = 0;
    double m_lastPaintMs = 0;
};
