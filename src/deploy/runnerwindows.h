// The window part of the runner's commands whose windows this program has: SCRIPT drives the script executor,
// ERRORS the object-status window. Each is a registration in deploy/runnerregistry.h, as a later window's is.
#pragma once

namespace deploy {

void registerRunnerWindows();

} // namespace deploy
