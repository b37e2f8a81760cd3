#include "Application.h"

#include "Allocator.h"

#include "BookModel.h"
#include "BookProvider.h"
#include "CrashInstaller.h"
#include "StallMonitor.h"
#include "FolderModel.h"
#include "Logger.h"
#include "MainView.h"
#include "MessageView.h"
#include "Paths.h"
#include "SplashScreen.h"
#include "Translations.h"
#include "UserContext.h"
#include "WorkerTypes.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QTranslator>
#include <QUrl>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcApp, "lanternleaf.app")

namespace {

// Start-up goes on whatever happens here: a library that cannot be opened
// was reported to the user, and the window shows an empty library.
void openLibrary()
{
    BookProvider::instance()->setMessageReporter([](const QString& title, const QString& text) {
        MessageView box(title, text);
        box.setCancelOnly();
        box.exec();
    });
    BookProvider::instance()->createConnection();
    Application::instance()->folderModel()->selectAll();
}

// The end of a desktop session (SIGTERM, SIGHUP) or Ctrl+C must close the
// window the ordinary way, so the reading place, the window geometry and the
// settings are written before the process ends. The handler only writes a
// byte into a pipe; the event loop does the rest.
int g_terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    const ssize_t written = ::write(g_terminationPipe[1], &byte, 1);
    (void)written;
}

void installTerminationHandler(QObject* context)
{
    if (::pipe2(g_terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_terminationPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [] {
        char byte = 0;
        while (::read(g_terminationPipe[0], &byte, 1) > 0) {
        }
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

} // namespace

Application::Application(int& argc, char** argv) : SingleApplication(argc, argv)
{
    setApplicationName(QStringLiteral("lanternleaf"));
    setOrganizationDomain(QStringLiteral("tarnwick.example"));
    setOrganizationName(QStringLiteral("Tarnwick"));
    setApplicationVersion(QStringLiteral(LANTERNLEAF_VERSION));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Paths::appFolder());
    loadTranslator();
    registerWorkerMetaTypes();
    m_userContext = new UserContext;
    m_bookModel = new BookModel(this);
    m_folderModel = new FolderModel(this);
}

Application::~Application()
{
    delete m_userContext;
    delete m_translator;
    delete m_qtTranslator;
}

std::shared_ptr<QSettings> Application::settings()
{
    return Paths::settings();
}

QStringList Application::supportedFormats()
{
    return {"epub", "mobi", "prc", "fb2", "cbr", "cbz", "pdf"};
}

QString Application::messageFromArguments(const QStringList& arguments)
{
    QString message;
    for (const QString& argument : arguments)
        message += argument + QLatin1Char('|');
    return message;
}

QString Application::languageName()
{
    // Each translation answers this text with its own language's name.
    return QCoreApplication::translate("SettingsView", "English");
}

void Application::loadTranslator()
{
    QString language = settings()->value("Language").toString();
    if (language.isEmpty())
        language = QLocale::system().name().left(2);
    setLanguage(language);
}

void Application::setLanguage(const QString& language)
{
    if (m_translator)
        removeTranslator(m_translator);
    else
        m_translator = new QTranslator;
    const QString file = Translations::fileFor(language);
    const bool ok = m_translator->load(file);
    qCDebug(lcApp) << "Load translation:" << file;
    qCDebug(lcApp) << "Result:" << ok;
    installTranslator(m_translator);

    // The file and colour dialogs come from Qt and speak its translations
    // (Debian's qttranslations5-l10n); without them they stay English.
    if (m_qtTranslator)
        removeTranslator(m_qtTranslator);
    else
        m_qtTranslator = new QTranslator;
    if (m_qtTranslator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                             QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        installTranslator(m_qtTranslator);
}

void Application::showInExplorer(const QString& filePath)
{
    if (filePath.isEmpty())
        return;
    const QFileInfo info(filePath);
    if (info.isDir()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::toNativeSeparators(info.absoluteFilePath())));
        return;
    }
    // Ask the desktop's file manager to show the file selected; without one
    // that speaks the freedesktop interface, open the containing folder.
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service)) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(info.absoluteFilePath()).toString()} << QString();
        if (bus.call(call, QDBus::Block, 3000).type() != QDBusMessage::ErrorMessage)
            return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absolutePath()));
}

int runApplication(int argc, char** argv)
{
    tuneAllocator();
    // A crashed instance starts this executable again to finish its report;
    // that process must not become an instance of its own.
    if (CrashInstaller::isReportRequest(argc, argv))
        return CrashInstaller::writeReport(argc, argv);

    auto app = std::make_unique<Application>(argc, argv);
    auto crashInstaller = std::make_unique<CrashInstaller>();

    auto message = std::make_unique<QString>(Application::messageFromArguments(app->arguments()));
    if (app->sendMessage(*message, 5000)) {
        message.reset();
        crashInstaller.reset();
        app.reset();
        return 0;
    }

    QFile css(QStringLiteral(":/style/style.css"));
    if (css.open(QIODevice::ReadOnly | QIODevice::Text))
        app->setStyleSheet(QString::fromUtf8(css.readAll()));
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font);

    auto splash = std::make_unique<SplashScreen>(QPixmap(QStringLiteral(":/style/images/splash.png")));
    splash->show();
    splash->loading(2);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/style/images/lanternleaf.ico")));

    openLibrary();

    auto mainView = std::make_unique<MainView>();
    installTerminationHandler(app.get());
    mainView->show();
    splash->finish(mainView.get());

    app->setActivationWindow(mainView.get(), true);
    mainView->handleMessage(*message);
    QObject::connect(app.get(), &SingleApplication::messageReceived, mainView.get(),
                     &MainView::handleMessage);

    std::unique_ptr<StallMonitor> stallMonitor(StallMonitor::fromEnvironment(nullptr));
    const int code = app->exec();
    stallMonitor.reset();
    mainView.reset();
    splash.reset();
    message.reset();
    crashInstaller.reset();
    app.reset();
    return code;
}
