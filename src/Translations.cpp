#include "Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTranslator>

#include <algorithm>

namespace {
const char* const kPrefix = "lanternleaf_";
const char* const kSuffix = ".qm";

QStringList& overrideFolders()
{
    static QStringList folders;
    return folders;
}

// "lanternleaf_pt_BR.qm" -> "pt_BR": everything after the first "_", without ".qm".
QString codeOf(const QString& fileName)
{
    const QString rest = fileName.mid(fileName.indexOf(QLatin1Char('_')) + 1);
    return rest.left(rest.size() - int(qstrlen(kSuffix)));
}
} // namespace

QStringList Translations::searchFolders()
{
    if (!overrideFolders().isEmpty())
        return overrideFolders();
    const QString bin = QCoreApplication::applicationDirPath();
    QStringList folders{bin + QStringLiteral("/translations")};
    // The installed layout, relative so that any prefix works.
    const QString installed =
        QDir::cleanPath(bin + QLatin1Char('/') + QStringLiteral(LANTERNLEAF_INSTALLED_TRANSLATIONS));
    if (!folders.contains(installed))
        folders << installed;
    return folders;
}

QString Translations::fileFor(const QString& language)
{
    const QString name = QLatin1String(kPrefix) + language + QLatin1String(kSuffix);
    const QStringList folders = searchFolders();
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return folders.value(0) + QLatin1Char('/') + name;
}

QVector<Translations::Language> Translations::available()
{
    QVector<Language> languages;
    QSet<QString> seen;
    const QStringList filter{QLatin1String(kPrefix) + QLatin1Char('*') + QLatin1String(kSuffix)};
    for (const QString& folder : searchFolders()) {
        const QDir dir(folder);
        const QStringList files = dir.entryList(filter, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString& file : files) {
            const QString code = codeOf(file);
            if (seen.contains(code))
                continue;
            seen.insert(code);
            Language language;
            language.code = code;
            language.file = dir.filePath(file);
            // Every translation names its own language under this text.
            QTranslator translator;
            if (translator.load(language.file))
                language.name = translator.translate("SettingsView", "English");
            languages << language;
        }
    }
    std::sort(languages.begin(), languages.end(),
              [](const Language& a, const Language& b) { return a.code < b.code; });
    return languages;
}

void Translations::setSearchFolders(const QStringList& folders)
{
    overrideFolders() = folders;
}
