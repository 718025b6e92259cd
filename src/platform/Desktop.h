// The desktop and the process around a run: the program's arguments, the held keys,
// the single-instance lock, the message box, the wait pointer, the usage text and the
// tree command.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kirramo {

// What the command line asks of a start. Keys: nothing, the held keys decide as they
// always have; the others ask for what Shift (the names), Ctrl (the full paths) or
// Shift and Ctrl (the settings window) held would, and no key is read then.
enum class LaunchRequest { Keys, Names, Paths, Window };

class Desktop {
public:
    virtual ~Desktop() = default;

    // The raw argument text after the program's own name, where the system keeps one
    // (Windows); nothing where the arguments arrive as a list (Linux).
    virtual std::optional<std::string> CommandLineText() = 0;
    // The arguments as a list, where the system gives one.
    virtual std::vector<std::string> ArgumentList() = 0;

    // True when another instance of the program is already running (the check also
    // claims the single-instance lock for this process).
    virtual bool AnotherInstanceRunning() = 0;
    enum class Key { Shift, Control };
    // Whether the key is held now; a key that cannot be queried counts as not held.
    virtual bool IsKeyHeld(Key key) = 0;

    // A modal message box titled "Kirramo" with one OK button and no icon.
    virtual void MessageBox(const std::string& text) = 0;
    // The screen-wide wait pointer on or off.
    virtual void SetWaitCursor(bool on) = 0;
    // Opens the usage text with the desktop's viewer, without waiting.
    virtual void OpenUsageText() = 0;

    // Asked by a tree listing before each subfolder, with the number of lines listed so
    // far (so a progress display can follow it); true ends the listing there.
    using TreeCheckpoint = std::function<bool(size_t linesSoFar)>;
    // The tree command's listing of a folder (files too when withFiles), as text lines
    // without line ends; nothing when the command could not be run. `checkpoint`, when
    // given, is asked before each subfolder: once it answers true the listing ends
    // there, cut short (its run was cancelled and uses none of it). A tree command that
    // cannot be followed on the way lists the whole tree without asking.
    virtual std::optional<std::vector<std::string>> TreeCommandOutput(const std::string& folder, bool withFiles,
                                                                      const TreeCheckpoint& checkpoint) = 0;
    // Waits for the given time; used between clipboard attempts.
    virtual void SleepMs(int ms) = 0;
};

}  // namespace kirramo
