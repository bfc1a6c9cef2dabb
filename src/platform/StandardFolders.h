#pragma once
// The machine's and the user's standard folders. Each has an environment
// variable that replaces it, so tests and demos never touch a real home.
#include <QString>

namespace platform {

QString commonAppDataDir();  // all users' application data   (SOLTEA_COMMON_APPDATA)
QString userAppDataDir();    // the user's application data    (SOLTEA_APPDATA)
QString documentsDir();      // the user's documents           (SOLTEA_DOCUMENTS)
QString desktopDir();        // the user's desktop             (SOLTEA_DESKTOP)
QString configDir();         // settings such as the registry  (SOLTEA_CONFIG_DIR)
QString runtimeDir();        // lock files                     (SOLTEA_RUNTIME_DIR)
QString systemDir();         // the operating system's folder  (SOLTEA_SYSTEM_DIR)
QString programDir();        // folder of the running program

} // namespace platform
