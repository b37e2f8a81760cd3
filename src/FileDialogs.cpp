#include "FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QQueue>

namespace {
QQueue<QStringList>& answers()
{
    static QQueue<QStringList> queue;
    return queue;
}

bool takeAnswer(QStringList& paths)
{
    if (answers().isEmpty())
        return false;
    paths = answers().dequeue();
    return true;
}

// Where the next dialog opens: the folder of the last pick in this session,
// else the home folder. Qt would start in the working directory, which for a
// program started from a menu is "/" or wherever the launcher was.
QString& lastFolder()
{
    static QString folder;
    return folder;
}

QString startIn()
{
    const QString& last = lastFolder();
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

void remember(const QString& path, bool isFolder)
{
    if (!path.isEmpty())
        lastFolder() = isFolder ? path : QFileInfo(path).absolutePath();
}
} // namespace

QStringList FileDialogs::openFileNames(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths;
    paths = QFileDialog::getOpenFileNames(parent, caption, startIn(), filter);
    remember(paths.value(0), false);
    return paths;
}

QString FileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths.value(0);
    const QString path = QFileDialog::getOpenFileName(parent, caption, startIn(), filter);
    remember(path, false);
    return path;
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths.value(0);
    const QString path = QFileDialog::getSaveFileName(parent, caption, startIn(), filter);
    remember(path, false);
    return path;
}

QString FileDialogs::existingDirectory(QWidget* parent, const QString& caption, const QString& startFolder,
                                       bool resolveSymlinks)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths.value(0);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    if (!resolveSymlinks)
        options |= QFileDialog::DontResolveSymlinks;
    const QString folder =
        QFileDialog::getExistingDirectory(parent, caption, startFolder.isEmpty() ? startIn() : startFolder, options);
    remember(folder, true);
    return folder;
}

void FileDialogs::setNextAnswer(const QStringList& paths)
{
    answers().enqueue(paths);
}

void FileDialogs::clearAnswers()
{
    answers().clear();
}
