#pragma once

#include <QString>
#include <QTemporaryDir>

/// A temporary home for one test program: HOME and the XDG locations point
/// into a fresh folder, so settings, log, database and caches never touch the
/// real user's files. Also sets the program identity the paths derive from.
/// Construct it before anything asks for a path.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    QString path() const { return m_dir.path(); }
    /// Removes everything under the home (settings, database, log, caches).
    void wipe();

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
