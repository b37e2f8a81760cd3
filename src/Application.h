#pragma once

#include "SingleApplication.h"

#include <QSettings>
#include <QStringList>
#include <memory>

class BookModel;
class FolderModel;
class QTranslator;
class UserContext;

/// The application object: program identity, per-user folders, translation,
/// and the process-wide objects the pages reach through it.
/// GUI thread only.
class Application : public SingleApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    ~Application() override;

    /// The running application object; null when the process runs another
    /// kind of application object (tests).
    static Application* instance() { return qobject_cast<Application*>(QCoreApplication::instance()); }

    /// The state of the current reading, shared by the pages.
    UserContext* userContext() const { return m_userContext; }

    /// A new handle on the settings file; written when the last holder lets go.
    static std::shared_ptr<QSettings> settings();
    /// The one book model and the one category model the pages share.
    BookModel* bookModel() const { return m_bookModel; }
    FolderModel* folderModel() const { return m_folderModel; }

    /// The book file suffixes the program accepts, lower case.
    static QStringList supportedFormats();

    /// The message handed to a running instance: every argument followed by "|".
    static QString messageFromArguments(const QStringList& arguments);
    /// The name of the active translation's language in that language
    /// ("English" when no translation is installed).
    static QString languageName();

public slots:
    /// Installs the translation named by the "Language" setting, or the
    /// system locale's language when that is empty.
    void loadTranslator();
    /// Installs "lanternleaf_<language>.qm" found by Translations::fileFor;
    /// a file that cannot be loaded leaves an empty translator (English).
    void setLanguage(const QString& language);
    /// Shows a folder, or a file selected in its folder, in the file manager.
    static void showInExplorer(const QString& filePath);

private:
    QTranslator* m_translator = nullptr;
    /// Qt's own texts (file dialogs, colour dialog, standard buttons).
    QTranslator* m_qtTranslator = nullptr;
    UserContext* m_userContext = nullptr;
    BookModel* m_bookModel = nullptr;
    FolderModel* m_folderModel = nullptr;
};

/// The entry point proper: start-up, event loop, shutdown. Returns the exit code.
int runApplication(int argc, char** argv);
