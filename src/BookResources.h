#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QVariant>

#include <functional>

class QUrl;

/// The images and style sheets a book's HTML names, for the documents that lay
/// its text out. Each resource is made once (read, decoded, scaled) by the
/// format's maker and then shared: QImage and QString are implicitly shared,
/// so every document, on whatever thread, holds the same pixels.
///
/// Thread-safe: resource() may be called from any thread at the same time.
/// The maker runs under a lock, so it only needs to be safe to run on any
/// thread (it must own, or share by value, everything it reads).
class BookResources
{
public:
    /// Makes the resource of QTextDocument::ResourceType `type` named `name`
    /// (as the rich-text engine hands it over); an invalid variant when there
    /// is none.
    using Maker = std::function<QVariant(int type, const QUrl& name)>;

    explicit BookResources(Maker maker);

    /// The resource, made on first use; an invalid variant when there is none.
    QVariant resource(int type, const QUrl& name);

private:
    Maker m_maker;
    QMutex m_mutex;
    QHash<QString, QVariant> m_made;
};
