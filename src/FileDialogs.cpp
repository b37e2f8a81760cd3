#include "FileDialogs.h"

#include <QFileDialog>
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
} // namespace

QStringList FileDialogs::openFileNames(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths;
    return QFileDialog::getOpenFileNames(parent, caption, QString(), filter);
}

QString FileDialogs::openFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths.value(0);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

QString FileDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    QStringList paths;
    if (takeAnswer(paths))
        return paths.value(0);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
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
    return QFileDialog::getExistingDirectory(parent, caption, startFolder, options);
}

void FileDialogs::setNextAnswer(const QStringList& paths)
{
    answers().enqueue(paths);
}

void FileDialogs::clearAnswers()
{
    answers().clear();
}
