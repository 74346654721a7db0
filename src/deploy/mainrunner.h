// The command runner in the program: the main window's IzvediCeloSkripto (the commands once per instance of
// instance.txt) and the several-installations loop, run on the main window's state through CommandRun, with the
// error file and the exit status at their end; and the other hooks of the main window that the deployment module
// fills (the several-installations mark, the installation of the connected user).
#pragma once

class TfmMain;

namespace deploy {

// Sets the main window's runner hooks and registers the windows of SCRIPT and ERRORS. When the command line holds
// commands to run, the first logon goes on by itself without waiting, since nobody watches it.
void installCommandRunner(TfmMain& main);

// The runs the hooks start; each ends the program (exit status and error file) when the command list held commands,
// and leaves the program to the user when it held only a logon.
void IzvediCeloSkripto(TfmMain& main);
void IzvediVecInstalacij(TfmMain& main);

} // namespace deploy
