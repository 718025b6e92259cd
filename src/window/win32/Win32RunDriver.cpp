#include "window/win32/Win32RunDriver.h"

#include <optional>

#include "window/ProgressForm.h"
#include "window/RunWatch.h"
#include "window/win32/ProgressWindowWin32.h"

namespace kirramo::win32 {

namespace {

// The process ends without running anything more: the abandoned collection may hold a
// lock that the ends of the libraries would wait for. The settings were saved before
// the run; nothing else is written.
void EndProcessNow() { TerminateProcess(GetCurrentProcess(), 0); }

// An event that the collection's thread sets when it has ended.
class EndedEvent {
public:
    EndedEvent() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~EndedEvent() {
        if (handle_) CloseHandle(handle_);
    }
    EndedEvent(const EndedEvent&) = delete;
    EndedEvent& operator=(const EndedEvent&) = delete;
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

Win32RunDriver::Win32RunDriver(std::function<void()> abandon)
    : abandon_(abandon ? std::move(abandon) : std::function<void()>(EndProcessNow)) {}

void Win32RunDriver::Collect(RunProgress& progress, const std::function<void()>& collect) {
    EndedEvent ended;
    if (!ended.Handle()) {
        // Without the event nothing could wait for the collection: it runs here.
        collect();
        return;
    }
    ProgressForm form(progress);
    ProgressWindowWin32 window(form);
    RunWatch watch(form, RunWatch::Clock::now());
    std::optional<WPARAM> quit;
    bool abandoned = false;
    {
        HANDLE event = ended.Handle();
        CollectionThread worker(collect, [event] { SetEvent(event); });
        const DWORD poll = static_cast<DWORD>(RunWatch::kPoll.count());
        // Wakes when the collection has ended, when a message comes, and every poll.
        for (;;) {
            const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, poll, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woke == WAIT_OBJECT_0 || worker.Ended()) break;
            if (woke == WAIT_FAILED) Sleep(poll);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                // A request to quit is kept for the loop that the run came from.
                if (msg.message == WM_QUIT) {
                    quit = msg.wParam;
                    continue;
                }
                if (window.PreTranslate(msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            switch (watch.At(RunWatch::Clock::now())) {
            case RunWatch::Turn::Wait:
                break;
            case RunWatch::Turn::Draw:
                if (!abandoned) window.Draw();
                break;
            case RunWatch::Turn::Abandon:
                // The window leaves the screen first: a process whose thread waits on
                // a file system may take as long to vanish as the file system takes to
                // answer.
                window.Close();
                if (!abandoned) abandon_();
                abandoned = true;
                break;
            }
        }
        worker.Finish();
    }
    if (quit) PostQuitMessage(static_cast<int>(*quit));
}

}  // namespace kirramo::win32
