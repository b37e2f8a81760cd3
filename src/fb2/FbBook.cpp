#include "fb2/FbBook.h"

namespace fb2 {

QString Author::displayName() const
{
    QStringList parts;
    for (const QString& p : {firstName, middleName, lastName}) {
        if (!p.trimmed().isEmpty())
            parts << p.trimmed();
    }
    if (parts.isEmpty())
        return nickname.trimmed();
    return parts.join(QLatin1Char(' '));
}

QString Book::authors() const
{
    QStringList names;
    for (const Author& a : description.titleInfo.authors) {
        const QString name = a.displayName();
        if (!name.isEmpty())
            names << name;
    }
    return names.join(QStringLiteral(", "));
}

QMap<int, QString> Book::metadata() const
{
    const TitleInfo& t = description.titleInfo;
    QStringList authorNames;
    for (const Author& a : t.authors) {
        if (!a.displayName().isEmpty())
            authorNames << a.displayName();
    }
    const QList<QPair<int, QString>> values = {
        {0, description.documentInfo.id},
        {1, t.bookTitle},
        {2, authorNames.join(QLatin1Char(' '))},
        {5, description.publishInfo.publisher},
        {6, t.annotation},
        {7, t.genres.join(QLatin1Char(' '))},
        {10, t.lang},
    };
    QMap<int, QString> result;
    for (const auto& v : values) {
        const QString value = v.second.trimmed();
        if (!value.isEmpty())
            result.insert(v.first, value);
    }
    return result;
}

} // namespace fb2
