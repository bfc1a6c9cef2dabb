#pragma once
#include <QString>

namespace platform {

// The computer's name (SOLTEA_COMPUTERNAME replaces it); empty when unknown.
QString computerName();
// The name of the user running the program; empty when unknown.
QString logonUserName();
// Major version of the operating system's kernel (SOLTEA_OS_MAJOR replaces it).
int osMajorVersion();

} // namespace platform
