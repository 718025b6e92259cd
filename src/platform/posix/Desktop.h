// The Linux desktop services of the backend: clipboard, message boxes, held keys.
// Kept apart from the rest of the backend because Xlib's macros clash with Qt's
// headers: the X11 code and the Qt code each live in their own source file.
#pragma once

#include <string>

namespace kirramo::posix {

enum class DisplayKind { None, X11, Wayland };

// X11 when DISPLAY is set, else Wayland when WAYLAND_DISPLAY is set, else None.
DisplayKind DetectDisplay();

// Hands the text to a clipboard owner process that keeps serving the X11 CLIPBOARD
// selection after this program has exited, until another program takes it.
// False when the display cannot be reached or the selection could not be taken.
bool OfferClipboardX11(const std::string& text);

// A process with more than one thread cannot safely fork the clipboard owner; it
// starts the program again with this argument alone and the text on standard input.
inline constexpr const char* kClipboardOwnerArgument = "--kirramo-clipboard-owner";

// The body of such a start, called by main before anything else: reads the text from
// standard input, starts the owner, writes "1" (the owner holds the clipboard) or "0"
// to standard output and returns the exit status (0 or 1).
int RunClipboardOwnerStart();

// Puts the text on the Wayland clipboard with wl-copy. False when that fails.
bool OfferClipboardWayland(const std::string& text);

// A modal message box titled "Kirramo" with one OK button and no icon; on standard
// error as text when there is no display.
void ShowMessageBox(const std::string& text);

// Whether a connection to the X server named by DISPLAY can be opened.
bool X11DisplayReachable();

// Whether the toolkit can show a window on this session's display: an X server that
// answers, or a Wayland display with the toolkit's Wayland support installed. The
// toolkit itself ends the process when it cannot connect, so this is asked first.
bool ToolkitCanShowWindows();

// Whether Shift and Ctrl are held, from one look at the X server's key state; neither
// when it cannot be queried.
struct HeldKeys {
    bool shift = false;
    bool control = false;
};
HeldKeys QueryHeldKeysX11();

}  // namespace kirramo::posix
