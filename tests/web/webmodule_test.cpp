// The web module as the program meets it: a process that does not link the
// web engine loads the module from a program folder, and the pane shows a
// page without the engine's complaint about being started from a plug-in
// (it comes when the application was made without the shared graphics
// context that the engine needs).
#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>

#include "qtwait.h"
#include "tempdir.h"
#include "web/WebModule.h"
#include "web/WebPane.h"

namespace {

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg) warnings << text;
}

TEST(WebModule, LoadsIntoAProgramWithoutTheEngineAndShowsAPage) {
    namespace fs = std::filesystem;
    orvtest::TempDir dir;
    fs::create_symlink(fs::path(ORV_PROGRAM_DIR) / "liborvweb.so", dir.path() / "liborvweb.so");
    orv::WebModule module(QString::fromStdString(dir.path().string()));
    orv::WebPaneFactory* factory = module.factory();
    ASSERT_NE(factory, nullptr) << module.reason().toStdString();

    QWidget window;
    window.resize(400, 300);
    QList<QUrl> failed;
    const auto previous = qInstallMessageHandler(keepWarnings);
    orv::WebPane* pane = factory->createPane(&window, [&](const QUrl& url) { failed << url; });
    ASSERT_NE(pane, nullptr);
    QWidget* web = pane->widget();
    EXPECT_EQ(web->objectName(), "Web1");
    EXPECT_EQ(web->contextMenuPolicy(), Qt::NoContextMenu);
    web->resize(400, 300);
    window.show();
    // The engine's view, read by its property: this process has no engine
    // of its own to name the type.
    pane->open(QUrl("data:text/html,<title>ok</title><p>page</p>"));
    const bool shown = orvtest::waitFor([&] { return web->property("title").toString() == "ok"; });
    qInstallMessageHandler(previous);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(failed.isEmpty());
    for (const QString& w : warnings)
        EXPECT_FALSE(w.contains("plugin")) << w.toStdString();
}

}  // namespace
