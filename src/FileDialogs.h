#pragma once

#include <QString>
#include <QStringList>

class QWidget;

/// The file and folder dialogs of the library page and the header. Tests
/// queue the answers the next dialogs give instead of showing them.
/// GUI thread only.
class FileDialogs
{
public:
    static QStringList openFileNames(QWidget* parent, const QString& caption, const QString& filter);
    static QString openFileName(QWidget* parent, const QString& caption, const QString& filter);
    static QString saveFileName(QWidget* parent, const QString& caption, const QString& filter);
    /// A folder dialog showing folders only, opened at startFolder;
    /// resolveSymlinks false keeps a chosen link as the user picked it.
    static QString existingDirectory(QWidget* parent, const QString& caption,
                                     const QString& startFolder = QString(), bool resolveSymlinks = true);

    /// Test seam: the next dialog of any kind returns these paths at once
    /// (an empty list: the user cancelled). One answer per dialog, in order.
    static void setNextAnswer(const QStringList& paths);
    static void clearAnswers();
};
