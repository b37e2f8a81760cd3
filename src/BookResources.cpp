#include "BookResources.h"

#include <QMutexLocker>
#include <QUrl>

BookResources::BookResources(Maker maker) : m_maker(std::move(maker)) {}

QVariant BookResources::resource(int type, const QUrl& name)
{
    const QString key = QString::number(type) + QLatin1Char(':') + name.toString();
    QMutexLocker lock(&m_mutex);
    const auto it = m_made.constFind(key);
    if (it != m_made.constEnd())
        return it.value();
    // Refused or missing resources are remembered too: a broken image named
    // on every page is tried once.
    const QVariant made = m_maker ? m_maker(type, name) : QVariant();
    m_made.insert(key, made);
    return made;
}
