#pragma once

#include <QSettings>
#include <QString>
#include <memory>

/// Per-user locations of the program. Every folder is created, with its
/// missing parents, the first time it is asked for. Needs the application
/// name to be set first: it is part of every path.
/// Thread-safe (only reads process-wide state and creates folders).
class Paths
{
public:
    /// home + "/." + application name, native separators.
    static QString appFolder();
    /// appFolder() + "/data": the library database lives here.
    static QString databaseFolder();
    /// appFolder() + "/log".
    static QString logFolder();
    /// appFolder() + "/books" with "/" separators.
    static QString bookCacheRoot();
    /// The cache folder of one book: bookCacheRoot() + "/" + hex MD5 of the
    /// UTF-8 bytes of key (normally the book's full path), native separators.
    static QString bookCacheFolder(const QString& key);
    /// appFolder() + "/Import": the default destination of imported books.
    static QString importFolder();
    /// The executable's folder + "/translations".
    static QString translationsFolder();
    /// The INI settings file in the per-user configuration location.
    static QString settingsFile();
    /// A fresh settings handle on settingsFile(); written when the last
    /// holder lets go.
    static std::shared_ptr<QSettings> settings();

private:
    static QString ensure(const QString& path);
};
