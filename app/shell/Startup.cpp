#include "shell/Startup.h"

#include <QFileInfo>

#include "base/ProgramFolder.h"
#include "card/RecordsDb.h"
#include "gui/MessageBox.h"
#include "shell/Program.h"

namespace orv {

namespace {
const QString kError = QStringLiteral("错误");

bool fatal(const QString& text) {
    MessageBox::show(nullptr, text, kError, MessageBox::Icon::Critical);
    return false;
}
}  // namespace

bool startProgram(Program& p, const QString& folder, const StartupSteps& steps) {
    p.folder = folder;
    p.settingsPath = inFolder(folder, QStringLiteral("zelReader.ini"));
    p.ini.setFilename(p.settingsPath);

    p.readingClip = inFolder(folder, kReadingClip);
    p.writingClip = inFolder(folder, kWritingClip);
    if (!QFileInfo(p.readingClip).isFile() || !QFileInfo(p.writingClip).isFile())
        return fatal(QStringLiteral("动态库文件未找到！"));

    const QString help = inFolder(folder, helpFileName());
    p.helpPath = QFileInfo(help).isFile() ? help : QString();

    switch (RecordsDb::open(inFolder(folder, RecordsDb::fileName()))) {
        case RecordsDb::OpenResult::Missing:
            return fatal(QStringLiteral("数据库文件未找到！"));
        case RecordsDb::OpenResult::NotADatabase:
            return fatal(QStringLiteral("打开数据库错误！"));
        case RecordsDb::OpenResult::Ok:
            break;
    }

    p.log = std::make_unique<AppLog>(folder);
    RecordsDb::upgrade(RecordsDb::connection());
    if (steps.installPendingUpdate) steps.installPendingUpdate(p);

    p.library = std::make_unique<ZelLibrary>(folder);
    p.card = std::make_unique<CardAccess>(*p.library, *p.waiter, p.log.get());
    p.settings = LoadSettings(p.ini, [&] {
        QStringList names;
        p.card->getReaderList(names);
        return names;
    });
    p.card->setReader(p.settings.READER);
    return true;
}

}  // namespace orv
