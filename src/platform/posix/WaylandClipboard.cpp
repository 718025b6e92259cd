// The Wayland clipboard of Kirramo's own: an owner process that sets the selection
// through data-control, the protocol that lets a client without a window (a clipboard
// manager, or this program) set the clipboard. Two versions of it exist: ext (that of
// wayland-protocols) and wlr (the older one of wlroots compositors: sway and others); ext
// is taken where both are offered. The client code of both comes from wayland-scanner.
//
// The program first asks the compositor, within a few seconds, whether it offers
// either; where it offers neither (GNOME, weston) or does not answer, this road gives
// way to the next one without a word, and wl-copy says what it finds there. Otherwise
// the owner (OwnerProcess.h) sets the selection, confirms it with a round trip and
// serves the text to every reader, piece by piece and never waiting on one of them,
// until another program takes the clipboard.
#include "platform/posix/ClipboardSink.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "ext-data-control-v1-client.h"
#include "platform/posix/Desktop.h"
#include "platform/posix/OwnerProcess.h"
#include "platform/posix/ServedText.h"
#include "wlr-data-control-unstable-v1-client.h"

namespace kirramo::posix {

namespace {

using Clock = std::chrono::steady_clock;

// How long the program waits for the compositor to say which protocols it offers. A
// compositor answers in a millisecond; one that has not answered by then is taken as
// one that offers none, and the next road is tried.
constexpr std::chrono::seconds kAskCompositor{3};
// How long the owner may take to set the selection (the program waits as long).
constexpr std::chrono::seconds kTakeSelection{15};
// The most written to a reader at once: what a pipe takes without waiting.
constexpr size_t kWritePiece = size_t{64} << 10;

// The two versions of data-control differ only in their names. Each is described by
// one traits struct, made by this macro from the names' common part.
#define KIRRAMO_DATA_CONTROL(Traits, prefix)                                                        \
    struct Traits {                                                                                 \
        using Manager = prefix##_manager_v1;                                                        \
        using Device = prefix##_device_v1;                                                          \
        using Source = prefix##_source_v1;                                                          \
        using Offer = prefix##_offer_v1;                                                            \
        using DeviceListener = prefix##_device_v1_listener;                                         \
        using SourceListener = prefix##_source_v1_listener;                                         \
        static const wl_interface* ManagerInterface() { return &prefix##_manager_v1_interface; }    \
        static Device* GetDevice(Manager* m, wl_seat* s) { return prefix##_manager_v1_get_data_device(m, s); } \
        static Source* CreateSource(Manager* m) { return prefix##_manager_v1_create_data_source(m); } \
        static void OfferType(Source* s, const char* mime) { prefix##_source_v1_offer(s, mime); }  \
        static void SetSelection(Device* d, Source* s) { prefix##_device_v1_set_selection(d, s); } \
        static void Listen(Device* d, const DeviceListener* l, void* data) {                       \
            prefix##_device_v1_add_listener(d, l, data);                                            \
        }                                                                                           \
        static void Listen(Source* s, const SourceListener* l, void* data) {                       \
            prefix##_source_v1_add_listener(s, l, data);                                            \
        }                                                                                           \
        static void Destroy(Offer* o) { prefix##_offer_v1_destroy(o); }                            \
    };
KIRRAMO_DATA_CONTROL(ExtDataControl, ext_data_control)
KIRRAMO_DATA_CONTROL(WlrDataControl, zwlr_data_control)
#undef KIRRAMO_DATA_CONTROL

// Dispatches the compositor's events until done is set or the deadline passes. False
// when it passed, or the connection failed (the compositor went away, or ended this
// client for a protocol error).
bool DispatchUntil(wl_display* display, const bool& done, Clock::time_point deadline) {
    while (!done) {
        while (wl_display_prepare_read(display) != 0) {
            if (wl_display_dispatch_pending(display) < 0) return false;
            if (done) return true;
        }
        if (wl_display_flush(display) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display);
            return false;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{wl_display_get_fd(display), POLLIN, 0};
        const int r = left > 0 ? poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX))) : 0;
        if (r <= 0) {
            wl_display_cancel_read(display);
            if (r < 0 && errno == EINTR) continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) return false;
    }
    return true;
}

void SetDone(void* data, wl_callback*, uint32_t) { *static_cast<bool*>(data) = true; }
const wl_callback_listener kSyncListener{SetDone};

// A round trip to the compositor: every request sent so far has been handled, and
// every event it sent in answer dispatched. False as DispatchUntil.
bool RoundTrip(wl_display* display, Clock::time_point deadline) {
    bool done = false;
    wl_callback* sync = wl_display_sync(display);
    if (!sync) return false;
    wl_callback_add_listener(sync, &kSyncListener, &done);
    const bool ok = DispatchUntil(display, done, deadline);
    wl_callback_destroy(sync);
    return ok;
}

// The compositor's globals that the owner needs: the data-control managers and the
// first seat.
struct Globals {
    wl_registry* registry = nullptr;
    uint32_t ext = 0, wlr = 0, seat = 0;  // their names; 0 when not offered

    bool DataControlOffered() const { return (ext != 0 || wlr != 0) && seat != 0; }
};

void OnGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t) {
    Globals& g = *static_cast<Globals*>(data);
    if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) g.ext = name;
    if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) g.wlr = name;
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && g.seat == 0) g.seat = name;
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

// Lists the compositor's globals; false when it did not answer by the deadline.
bool ListGlobals(wl_display* display, Globals& globals, Clock::time_point deadline) {
    globals.registry = wl_display_get_registry(display);
    if (!globals.registry) return false;
    wl_registry_add_listener(globals.registry, &kRegistryListener, &globals);
    return RoundTrip(display, deadline);
}

// A connection to the compositor at WAYLAND_DISPLAY; nullptr when none listens there.
wl_display* Connect() {
    const int fd = ConnectToWaylandDisplay();
    if (fd < 0) return nullptr;
    wl_display* display = wl_display_connect_to_fd(fd);  // owns fd from here on
    if (!display) close(fd);
    return display;
}

// Whether the compositor at WAYLAND_DISPLAY answers and offers data-control with a
// seat. The connection is closed again at once.
bool CompositorOffersDataControl() {
    wl_display* display = Connect();
    if (!display) return false;
    Globals globals;
    const bool offered = ListGlobals(display, globals, Clock::now() + kAskCompositor) && globals.DataControlOffered();
    if (globals.registry) wl_registry_destroy(globals.registry);
    wl_display_disconnect(display);
    return offered;
}

// The owner: holds the selection of one seat through one version of data-control and
// serves the text to the readers.
template <class Protocol>
class Owner {
public:
    Owner(wl_display* display, std::string text) : display_(display), text_(std::move(text)) {}

    // Sets the selection and confirms it with a round trip; false when the compositor
    // did not take it by the deadline, or took it away at once.
    bool Take(const Globals& globals, uint32_t managerName, Clock::time_point deadline) {
        auto* manager = static_cast<typename Protocol::Manager*>(
            wl_registry_bind(globals.registry, managerName, Protocol::ManagerInterface(), 1));
        auto* seat = static_cast<wl_seat*>(wl_registry_bind(globals.registry, globals.seat, &wl_seat_interface, 1));
        device_ = Protocol::GetDevice(manager, seat);
        Protocol::Listen(device_, &kDeviceListener, this);
        source_ = Protocol::CreateSource(manager);
        Protocol::Listen(source_, &kSourceListener, this);
        for (const char* mime : kOfferedMimeTypes) Protocol::OfferType(source_, mime);
        Protocol::SetSelection(device_, source_);
        return RoundTrip(display_, deadline) && !lost_;
    }

    // Serves the readers until another program takes the selection (or the compositor
    // goes away) and the transfers still running have ended.
    void Serve() {
        bool connected = true;
        for (;;) {
            if ((lost_ || !connected) && transfers_.empty()) return;
            // The compositor's socket is read only between prepare_read and read_events
            // (or cancel_read), so that no event is left unread while poll waits.
            bool reading = false;
            if (connected) {
                connected = PrepareToRead();
                reading = connected;
            }
            std::vector<pollfd> fds;
            fds.reserve(transfers_.size() + 1);
            for (const Transfer& t : transfers_) fds.push_back({t.fd, POLLOUT, 0});
            if (reading) fds.push_back({wl_display_get_fd(display_), POLLIN, 0});
            const int r = poll(fds.data(), fds.size(), transfers_.empty() ? -1 : 1000);
            if (reading) {
                if (r > 0 && fds.back().revents != 0) {
                    connected = wl_display_read_events(display_) == 0;
                } else {
                    wl_display_cancel_read(display_);
                }
            }
            if (r > 0) WriteToReaders(fds);
            DropStaleTransfers();
            // New readers (send) and the loss of the selection (cancelled, finished).
            if (connected) connected = wl_display_dispatch_pending(display_) >= 0;
        }
    }

private:
    // One reader: the write end of its pipe, and how far it has got.
    struct Transfer {
        int fd;
        TextForm form;
        size_t offset;        // where the next piece starts in the UTF-8 text
        std::string pending;  // what the reader has not yet taken of the last piece
        time_t lastActivity;
    };

    bool PrepareToRead() {
        while (wl_display_prepare_read(display_) != 0) {
            if (wl_display_dispatch_pending(display_) < 0) return false;
        }
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
            wl_display_cancel_read(display_);
            return false;
        }
        return true;
    }

    // Writes one piece to each reader that takes more; a reader that has all of the
    // text, or has gone away (EPIPE: SIGPIPE is ignored in the owner), is let go.
    void WriteToReaders(const std::vector<pollfd>& fds) {
        const time_t now = std::time(nullptr);
        size_t i = 0;
        KeepTransfers([&](Transfer& t) {
            if (fds[i++].revents == 0) return true;
            if (t.pending.empty()) t.pending = text_.Piece(t.form, t.offset, kWritePiece);
            if (t.pending.empty()) return false;
            const ssize_t n = write(t.fd, t.pending.data(), t.pending.size());
            if (n < 0) return errno == EAGAIN || errno == EINTR;
            t.pending.erase(0, static_cast<size_t>(n));
            t.lastActivity = now;
            return true;
        });
    }

    // A reader that has taken nothing for a while has stopped reading, or forgotten to.
    void DropStaleTransfers() {
        const time_t now = std::time(nullptr);
        KeepTransfers([&](const Transfer& t) { return now - t.lastActivity <= kStaleTransferSeconds; });
    }

    // Keeps the transfers, in order, for which keep says so; lets the others go.
    template <class Keep>
    void KeepTransfers(const Keep& keep) {
        size_t kept = 0;
        for (Transfer& t : transfers_) {
            if (!keep(t)) {
                close(t.fd);
                continue;
            }
            if (&transfers_[kept] != &t) transfers_[kept] = std::move(t);
            ++kept;
        }
        transfers_.resize(kept);
    }

    // A reader asks for the text: the compositor hands over the write end of its pipe.
    static void OnSend(void* data, typename Protocol::Source*, const char* mime, int32_t fd) {
        auto& self = *static_cast<Owner*>(data);
        const TextForm form = FormOfMimeType(mime);
        if (form == TextForm::NotOffered || self.lost_) {
            close(fd);
            return;
        }
        // Never wait on one reader: the others are served meanwhile.
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        self.transfers_.push_back({fd, form, 0, {}, std::time(nullptr)});
    }
    // Another program took the selection.
    static void OnCancelled(void* data, typename Protocol::Source*) { static_cast<Owner*>(data)->lost_ = true; }
    // The compositor announces offers (ours and other programs'); none is read here.
    static void OnDataOffer(void*, typename Protocol::Device*, typename Protocol::Offer*) {}
    static void OnSelection(void*, typename Protocol::Device*, typename Protocol::Offer* offer) {
        if (offer) Protocol::Destroy(offer);
    }
    // The seat went away: its selection with it.
    static void OnFinished(void* data, typename Protocol::Device*) { static_cast<Owner*>(data)->lost_ = true; }

    static constexpr typename Protocol::SourceListener kSourceListener{OnSend, OnCancelled};
    static constexpr typename Protocol::DeviceListener kDeviceListener{OnDataOffer, OnSelection, OnFinished,
                                                                       OnSelection};

    wl_display* display_;
    ServedText text_;
    typename Protocol::Device* device_ = nullptr;
    typename Protocol::Source* source_ = nullptr;
    bool lost_ = false;
    std::vector<Transfer> transfers_;
};

template <class Protocol>
void TakeAndServe(wl_display* display, const Globals& globals, uint32_t manager, std::string text,
                  OwnerReport& report, Clock::time_point deadline) {
    Owner<Protocol> owner(display, std::move(text));
    if (!owner.Take(globals, manager, deadline)) return;
    report(true);
    owner.Serve();
}

// The owner's body (OwnerRoad::serve), in its own process.
void ServeWayland(std::string text, OwnerReport& report) {
    wl_display* display = Connect();
    if (!display) return;
    const Clock::time_point deadline = Clock::now() + kTakeSelection;
    Globals globals;
    if (ListGlobals(display, globals, deadline) && globals.DataControlOffered()) {
        if (globals.ext != 0)
            TakeAndServe<ExtDataControl>(display, globals, globals.ext, std::move(text), report, deadline);
        else
            TakeAndServe<WlrDataControl>(display, globals, globals.wlr, std::move(text), report, deadline);
    }
    wl_display_disconnect(display);
}

template <class Text>
PlaceResult PlaceOnWayland(const Text& text) {
    // Neither version offered, or no compositor that answers: wl-copy is tried next,
    // and says itself what it found.
    if (!CompositorOffersDataControl()) return {PlaceResult::Kind::Unreachable, {}};
    if (StartOwner(kWaylandOwner, text)) return {PlaceResult::Kind::Placed, {}};
    return {PlaceResult::Kind::Unreachable, "Wayland のクリップボードを data-control で設定できませんでした。"};
}

}  // namespace

const OwnerRoad kWaylandOwner{kWaylandClipboardOwnerArgument, ServeWayland};

bool WaylandOwnerSink::Available() const { return WaylandDisplayNamed(); }

PlaceResult WaylandOwnerSink::Place(const std::string& text) { return PlaceOnWayland(text); }

PlaceResult WaylandOwnerSink::Place(const TextPieces& text) { return PlaceOnWayland(text); }

}  // namespace kirramo::posix
