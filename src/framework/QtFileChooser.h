#pragma once
// The folder, file and computer choosers of the window system: Qt's dialogs.

// Installs them as the program's choosers (once; tests keep their own).
void installQtFileChooser();
