#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

/// Where the program's translation files ("lanternleaf_<code>.qm") are found
/// and which languages they offer. The loader (Application::setLanguage) and
/// the language list of the settings page use the same search, in order:
///   1. the "translations" folder next to the executable (the build tree,
///      or a program unpacked into one folder);
///   2. the installed data folder relative to the executable
///      (<prefix>/bin/lanternleaf finds <prefix>/share/lanternleaf/translations).
/// A file in an earlier folder hides a file of the same language in a later one.
/// GUI thread only (the language names are read through QTranslator).
class Translations
{
public:
    struct Language
    {
        QString code; ///< "de" for "lanternleaf_de.qm"
        QString name; ///< the file's own translation of "English" in the context "SettingsView"
        QString file; ///< full path of the file
    };

    /// The folders searched, in order (whether or not they exist).
    static QStringList searchFolders();
    /// The file for a language code: the first folder that holds it, or the
    /// path in the first folder when none does (loading it then fails).
    static QString fileFor(const QString& language);
    /// Every language found, one per code, sorted by code.
    static QVector<Language> available();

    /// Test seam: search these folders instead (an empty list restores the
    /// default search).
    static void setSearchFolders(const QStringList& folders);
};
