// A small program for the tests that need real processes: it runs the
// program's own Application, SingleApplication and CrashInstaller.
//
//   instance_probe listen FILE   become the instance; append every message
//                                received to FILE, one per line; quit when
//                                stdin closes
//   instance_probe send ARGS...  hand the arguments to a running instance;
//                                exit 0 when acknowledged, 1 otherwise
//   instance_probe translate     print the active translation of "English"
//   instance_probe language CODE...
//                                choose each language on the settings page
//                                and save; print the page's title after each,
//                                and a tab and Qt's file dialog text "Look in:"
//   instance_probe crash KIND    install the crash reporter and die of KIND
//                                (segv, abort, fpe, bus, ill)
//
// Each mode first prints "primary KEY" or "secondary KEY" on a line.
#include "Application.h"
#include "CrashInstaller.h"
#include "Logger.h"
#include "SettingsView.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSocketNotifier>
#include <QTemporaryFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

volatile int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;

// The faults below are undefined behaviour on purpose; the undefined
// behaviour sanitizer must let them happen, or a sanitizer build would stop
// the probe with its own report before the signal is raised.
__attribute__((no_sanitize("undefined"))) void crash(const QByteArray& kind)
{
    if (kind == "segv") {
        *g_nowhere = 1;
    } else if (kind == "abort") {
        std::abort();
    } else if (kind == "fpe") {
        volatile int one = 1;
        g_zero = one / g_zero;
    } else if (kind == "ill") {
        __builtin_trap();
    } else if (kind == "bus") {
        // Touching a mapped page beyond the end of a file faults with SIGBUS.
        QTemporaryFile file;
        if (file.open()) {
            auto* page =
                static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, file.handle(), 0));
            if (page != MAP_FAILED)
                g_zero = page[0];
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (CrashInstaller::isReportRequest(argc, argv))
        return CrashInstaller::writeReport(argc, argv);
    if (argc < 2)
        return 2;
    const QByteArray mode = argv[1];

    Application app(argc, argv);
    std::printf("%s %s\n", app.isPrimary() ? "primary" : "secondary", qPrintable(app.instanceKey()));
    std::fflush(stdout);

    if (mode == "send")
        return app.sendMessage(Application::messageFromArguments(app.arguments()), 5000) ? 0 : 1;

    if (mode == "translate") {
        std::printf("%s\n", Application::languageName().toUtf8().constData());
        return 0;
    }

    if (mode == "language") {
        SettingsView page;
        page.show();
        auto* languages = page.findChild<QComboBox*>("comboLanguage");
        auto* title = page.findChild<QLabel*>("settingsLabel");
        for (int i = 2; i < argc; ++i) {
            languages->setCurrentIndex(languages->findData(QString::fromUtf8(argv[i])));
            page.saveSettings();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
            // Then a text of Qt's own file dialog, translated by Qt's files.
            std::printf("%s\t%s\n", title->text().toUtf8().constData(),
                        QCoreApplication::translate("QFileDialog", "Look in:").toUtf8().constData());
        }
        return 0;
    }

    if (mode == "crash" && argc > 2) {
        logInfo(QStringLiteral("probe about to crash"));
        Application::settings()->setValue(QStringLiteral("probe"), 1);
        CrashInstaller installer;
        if (!installer.isInstalled())
            return 3;
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        crash(argv[2]);
        return 4;
    }

    if (mode == "listen" && argc > 2) {
        if (!app.isPrimary())
            return 1;
        const QString out = QFile::decodeName(argv[2]);
        QObject::connect(&app, &SingleApplication::messageReceived, &app, [out](const QString& message) {
            QFile file(out);
            if (file.open(QIODevice::WriteOnly | QIODevice::Append))
                file.write(message.toUtf8() + '\n');
        });
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                input.setEnabled(false);
                QCoreApplication::quit();
            }
        });
        return app.exec();
    }
    return 2;
}
