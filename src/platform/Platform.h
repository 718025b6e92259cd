// Everything a backend gives the core, by concern: the file system, the locale, the
// clipboard, the desktop and the settings store. Each part of the core takes only the
// concerns it uses; the program's entry, the settings window and the collection run,
// which use them all, take the whole.
//
// The same core runs on Windows (Win32Platform), Linux (PosixPlatform) and in tests
// (FakePlatform, an in-memory file system). Texts are UTF-8.
#pragma once

#include "platform/Clipboard.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/SettingsStore.h"

namespace kirramo {

class Platform : public FileSystem, public Locale, public Clipboard, public Desktop, public SettingsStore {};

}  // namespace kirramo
