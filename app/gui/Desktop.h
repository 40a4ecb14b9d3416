// What the program asks of the desktop: open a file or address with its
// default program (the help file, web pages) and start a program. Injected
// (Program::desktop) so that tests record the requests instead.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

namespace orv {

class DesktopActions {
public:
    virtual ~DesktopActions() = default;
    // False when the desktop has no program for it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts the program without waiting for it; false when it cannot run.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

class SystemDesktop : public DesktopActions {
public:
    bool openUrl(const QUrl& url) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
};

}  // namespace orv
