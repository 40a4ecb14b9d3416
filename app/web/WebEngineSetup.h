// What the web pane's engine needs before the application object exists.
#pragma once

namespace orv {

// Shares the engine's graphics context with the windows, and turns the
// engine's sandbox off when the program runs as root: the sandbox cannot
// start there, and the engine would end the whole program at the first
// page instead.
void prepareWebEngine();

// The sandbox part, by platform (WebEngineSetup_posix.cpp; nothing to do
// on Windows, WebEngineSetup_win.cpp).
void prepareWebEngineSandbox();

}  // namespace orv
