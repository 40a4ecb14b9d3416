// What the update check needs from the program around it. The main window
// implements UpdateHost; ProgramStarter is the seam through which the
// updater is started (tests record the call instead).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace orv {

class UpdateHost {
public:
    virtual ~UpdateHost() = default;
    // The window that owns the messages and the notice window (may be null).
    virtual QWidget* window() = 0;
    // LoadSettings again into SystemSettings: the manifest changed SYSTEM.
    virtual void reloadSettings() = 0;
    // ShowStatus(full) of the main window.
    virtual void showStatus(bool full) = 0;
    // True while a card call runs (its progress callback lets events in).
    virtual bool cardBusy() = 0;
    // True while the operation wizard is shown and not idle (in the middle
    // of a card or server exchange).
    virtual bool wizardBusy() = 0;
    // Closes the program's other windows (query window, dialogs); the
    // notice window is the update check's own.
    virtual void closeOtherWindows() = 0;
    // Closes the main window, which ends the program. Called from within a
    // download event: the window closes the usual way (deleted later, not
    // at once).
    virtual void closeProgram() = 0;
};

class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts the program detached, with its own folder as working folder.
    virtual bool start(const QString& program, const QStringList& arguments, QString* error) = 0;
};

class DetachedStarter : public ProgramStarter {
public:
    bool start(const QString& program, const QStringList& arguments, QString* error) override;
};

}  // namespace orv
