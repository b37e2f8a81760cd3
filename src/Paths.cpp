#include "Paths.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

QString Paths::ensure(const QString& path)
{
    QDir().mkpath(path);
    return QDir::toNativeSeparators(path);
}

QString Paths::appFolder()
{
    return ensure(QDir::homePath() + "/." + QCoreApplication::applicationName());
}

QString Paths::databaseFolder()
{
    return ensure(appFolder() + "/data");
}

QString Paths::logFolder()
{
    return ensure(appFolder() + "/log");
}

QString Paths::bookCacheRoot()
{
    QString path = QDir::homePath() + "/." + QCoreApplication::applicationName() + "/books";
    QDir().mkpath(path);
    return path;
}

QString Paths::bookCacheFolder(const QString& key)
{
    const QByteArray md5 = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Md5).toHex();
    return ensure(bookCacheRoot() + "/" + QString::fromLatin1(md5));
}

QString Paths::importFolder()
{
    return ensure(appFolder() + "/Import");
}

QString Paths::translationsFolder()
{
    return QCoreApplication::applicationDirPath() + "/translations";
}

QString Paths::settingsFile()
{
    // The configuration location already names organisation and program.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return QDir::toNativeSeparators(dir + "/settings.ini");
}

std::shared_ptr<QSettings> Paths::settings()
{
    return std::make_shared<QSettings>(settingsFile(), QSettings::IniFormat);
}
