#pragma once

#include "TextMap.h"

#include <QString>
#include <QVector>

/// Remembers, in the book's cache folder, where the units of a book lie in
/// its text and the page tables of the layouts it was read in, so that a book
/// opened again shows exact page numbers at once and can go to a place deep
/// inside before the text was mapped anew.
///
/// Everything is tied to the book file's size and modification time (and the
/// engine's version): a changed file makes the cache empty. Missing or broken
/// cache files read as empty. GUI thread.
class PageCache
{
public:
    /// No book path: a cache that holds nothing.
    explicit PageCache(const QString& bookPath = QString());

    bool readSpans(int unitCount, QVector<TextMap::Span>* spans, int* characters) const;
    void writeSpans(const QVector<TextMap::Span>& spans, int characters);
    /// The page table for a layout (PageTable::toString()); empty when none.
    QString readPages(const QString& layoutKey) const;
    void writePages(const QString& layoutKey, const QString& table);

    /// The cache file (for tests).
    QString fileName() const { return m_file; }

private:
    bool read(QVariantMap* data) const;
    void write(const QVariantMap& data);
    QString identity() const;

    QString m_bookPath;
    QString m_file;
};
