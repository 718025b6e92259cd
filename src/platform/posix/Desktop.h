// The Linux desktop services of the backend that touch the display: which display the
// session names, the clipboard owners' own starts, the held keys. No Xlib header
// here: its macros clash with other headers (Qt's among them), so the X11 code lives in
// a source file of its own.
#pragma once

#include <string>

namespace kirramo::posix {

enum class DisplayKind { None, X11, Wayland };

// X11 when DISPLAY is set, else Wayland when WAYLAND_DISPLAY is set, else None.
DisplayKind DetectDisplay();

// Whether WAYLAND_DISPLAY is set (not empty), whatever DISPLAY says.
bool WaylandDisplayNamed();

// A connected socket (close-on-exec) to the compositor at WAYLAND_DISPLAY (a name in
// XDG_RUNTIME_DIR, or an absolute path), or -1 when none listens there. Made here
// rather than by libwayland, which would complain on standard error about a missing
// XDG_RUNTIME_DIR before the program could say it in the user's words.
int ConnectToWaylandDisplay();

// The clipboard owners (X11OwnerSink and WaylandOwnerSink in ClipboardSink.h) serve the
// selection after this program has exited, until another program takes it. For a large
// run the program starts itself afresh for the owner, with one of these as its name
// (argv[0]) and no argument, and the text on standard input. Only the starter sets
// argv[0]; a path given on the command line never arrives there.
inline constexpr const char* kClipboardOwnerArgument = "kirramo-clipboard-owner";
inline constexpr const char* kWaylandClipboardOwnerArgument = "kirramo-wayland-clipboard-owner";

// Whether the program's name (argv[0]) is one of the owners' names above.
bool IsClipboardOwnerStart(const char* name);

// The body of such a start, called by main before anything else: reads the text from
// standard input, starts the owner that the name stands for, writes "1" (the owner
// holds the clipboard) or "0" to standard output and returns the exit status (0 or 1).
int RunClipboardOwnerStart(const char* name);

// Whether a connection to the X server named by DISPLAY can be opened.
bool X11DisplayReachable();

// Whether Shift and Ctrl are held, from one look at the X server's key state; neither
// when it cannot be queried.
struct HeldKeys {
    bool shift = false;
    bool control = false;
};
HeldKeys QueryHeldKeysX11();

}  // namespace kirramo::posix
