#pragma once

#include "TextDocument.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

// Checks shared by the formats that load a large book in stages. The
// documents are laid out at 400 x 500.

/// Runs the event loop until the document has its whole text (at most 30 s).
inline bool waitForWholeText(const TextDocument& doc)
{
    QElapsedTimer timer;
    timer.start();
    while ((doc.isOpening() || doc.isWaitingForPlace()) && timer.elapsed() < 30000)
        QTest::qWait(5);
    return !doc.isOpening() && !doc.isWaitingForPlace();
}

/// `staged` was just loaded in stages; `whole` is the same book loaded whole.
/// The opening shows the whole book's first pages with their places; two
/// pages on, the rest arrives and the page on screen stays. Ends with the
/// whole text there (check QTest::currentTestFailed() after).
inline void checkOpeningThenWhole(TextDocument& staged, TextDocument& whole)
{
    // The rest may arrive as soon as events run (the resize below).
    QVERIFY(staged.isOpening());
    QVERIFY(!staged.isPageCountExact());
    QVERIFY(staged.unitCount() < whole.unitCount());
    staged.setViewPortSize(QSize(400, 500));
    whole.setViewPortSize(QSize(400, 500));
    for (int page = 1; page <= 4; ++page) {
        QCOMPARE(staged.pageText(page), whole.pageText(page));
        QCOMPARE(staged.calcPositionByPage(page), whole.calcPositionByPage(page));
    }
    staged.next();
    staged.next();
    const QString shown = staged.pageText(staged.page());
    QVERIFY(waitForWholeText(staged));
    QCOMPARE(staged.unitCount(), whole.unitCount());
    QCOMPARE(staged.pageText(staged.page()), shown);
    QCOMPARE(staged.plainText(), whole.plainText());
    QCOMPARE(staged.toc().size(), whole.toc().size());
}

/// A document of `path` asked for book position `deep` while only its
/// opening is there waits for the rest, then shows the page `whole` shows.
template <class Document> void checkPlaceBeyondOpening(const QString& path, TextDocument& whole, int deep)
{
    Document later(path);
    later.setLoadsInStages(true, 0);
    later.setWaitsInBackground(true);
    later.load();
    QVERIFY(later.isOpening());
    later.setPageByPosition(deep);
    QVERIFY(later.isWaitingForPlace());
    QCOMPARE(later.position(), deep);
    later.setViewPortSize(QSize(400, 500));
    QVERIFY(waitForWholeText(later));
    whole.setViewPortSize(QSize(400, 500));
    whole.setPageByPosition(deep);
    QCOMPARE(later.pageText(later.page()), whole.pageText(whole.page()));
}
