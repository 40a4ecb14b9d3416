// What start-up makes once for the whole run and the windows share: the
// paths it checked, the log, the settings, the card access object and the
// card data last read, and the two connection flags of the status bar.
#pragma once

#include <QString>
#include <memory>

#include "base/AppLog.h"
#include "base/IniFile.h"
#include "base/Settings.h"
#include "base/Waiter.h"
#include "card/CardAccess.h"
#include "card/CardData.h"
#include "card/ZelLibrary.h"
#include "gui/Desktop.h"

namespace orv {

struct Program {
    QString folder;
    QString settingsPath;
    QString helpPath;  // "" when the help file is missing
    QString readingClip, writingClip;
    std::unique_ptr<AppLog> log;
    IniFile ini;
    SystemSettings settings;
    std::unique_ptr<ZelLibrary> library;
    std::unique_ptr<CardAccess> card;
    CardData currentCard;
    bool serverConnected = false;
    bool readerConnected = false;

    // Every wait and every elapsed time of the program; tests put fakes here
    // before start-up.
    EventLoopWaiter eventLoopWaiter;
    Waiter* waiter = &eventLoopWaiter;
    const MonotonicClock* clock = &SteadyClock::instance();
    // Opening files and addresses with the desktop's programs; tests record.
    SystemDesktop systemDesktop;
    DesktopActions* desktop = &systemDesktop;
};

}  // namespace orv
