#include "TestHome.h"

#include <QCoreApplication>
#include <QDir>

TestHome::TestHome() : m_oldHome(qgetenv("HOME"))
{
    QCoreApplication::setApplicationName("lanternleaf");
    QCoreApplication::setOrganizationName("Tarnwick");
    QCoreApplication::setOrganizationDomain("tarnwick.example");
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + "/.config"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/.local/share"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path() + "/.cache"));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path() + "/.runtime"));
    QDir().mkpath(m_dir.path() + "/.runtime");
    QFile::setPermissions(m_dir.path() + "/.runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TestHome::~TestHome()
{
    qputenv("HOME", m_oldHome);
}

void TestHome::wipe()
{
    QDir dir(m_dir.path());
    for (const QString& entry : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFileInfo info(dir.filePath(entry));
        if (info.isDir())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
    QDir().mkpath(m_dir.path() + "/.runtime");
}
