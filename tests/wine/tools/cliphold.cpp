// cliphold.exe: keeps a process of the desktop running until it is ended.
//
// Wine keeps the clipboard's contents only while a process of its desktop runs; after
// the last one has gone the clipboard is empty about a second later. This process
// loads user32 and joins the desktop (GetDesktopWindow), then sleeps until killed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    GetDesktopWindow();
    for (;;) Sleep(INFINITE);
}
