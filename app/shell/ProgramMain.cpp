#include "shell/ProgramMain.h"

#include <QApplication>
#include <QDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QTranslator>
#include <cstdio>
#include <cstring>

#include "base/AppLog.h"
#include "base/ProgramFolder.h"
#include "gui/Pictures.h"
#include "shell/EndRequest.h"
#include "shell/FontPreload.h"
#include "shell/MainWindow.h"
#include "shell/NetworkState.h"
#include "shell/Program.h"
#include "shell/SingleInstance.h"
#include "shell/SmartCardService.h"
#include "shell/Startup.h"
#include "update/UpdateAUP.h"
#include "web/WebEngineSetup.h"

namespace orv {

void installTranslations(QCoreApplication& app, const QString& programFolder) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    auto* qt = new QTranslator(&app);
    if (qt->load(chinese, QStringLiteral("qt"), QStringLiteral("_"),
                 inFolder(programFolder, QStringLiteral("translations"))) ||
        qt->load(chinese, QStringLiteral("qt"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(qt);
    }
}

int programMain(int argc, char** argv, const ProgramSeams& seams) {
    // The package's launcher asks a program folder's version before it
    // decides whether to refresh that folder; nothing else is touched.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("%s\n", AppLog::version().toUtf8().constData());
        return 0;
    }
    prepareWebEngine();
    FontPreload fonts;
    QApplication app(argc, argv);
    fonts.fillDatabase();
    const auto fontsDone = qScopeGuard([&fonts] { fonts.wait(); });
    app.setApplicationName(QStringLiteral("orvane"));
    // The package's desktop entry, so that a desktop shows its name and icon.
    app.setDesktopFileName(QStringLiteral("org.orvane.Orvane"));
    QApplication::setStyle(programStyle());
    // From here the system's request to end goes through the close box's
    // path: the records closed, the log's end line written. Before the main
    // window is up it answers a start-up message: the start then ends there,
    // or goes on to the window, which ends at once.
    EndRequest endRequest;
    const QMetaObject::Connection startupEnd =
        QObject::connect(&endRequest, &EndRequest::endRequested, &app, [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QDialog*>(w);
                if (box && box->isVisible()) box->reject();
            }
        });

    SingleInstance instance(SingleInstance::runtimeFolder());
    const QString folder = programFolder();
    if (const std::optional<int> code = claimSingleInstance(instance, folder)) return *code;
    installTranslations(app, folder);

    Program program;
    SystemSmartCardService service;
    const auto pendingUpdate = [](Program& p) { UpdateAUP(p.folder, *p.log, *p.waiter); };
    if (!startProgram(program, folder, StartupSteps{pendingUpdate})) return 1;

    fonts.wait();
    SystemNetworkState systemNetwork;
    MainWindow window(program, seams.network ? *seams.network : systemNetwork);
    QObject::connect(&instance, &SingleInstance::activationRequested, &window,
                     &MainWindow::activate);
    // Asking for the smart-card service may start a process, and nothing
    // waits for it: it need not delay the window.
    QObject::connect(&window, &MainWindow::loadFinished, &window, [&service] { service.start(); });
    QObject::disconnect(startupEnd);
    QObject::connect(&endRequest, &EndRequest::endRequested, &window, &MainWindow::requestEnd);
    window.load();
    window.show();
    if (endRequest.requested()) window.requestEnd();
    return app.exec();
}

}  // namespace orv
