// The X11 side of the desktop services: the held keys and the clipboard owner.
//
// An X11 selection lives only as long as the client that owns it, so the text is
// handed to an owner process of its own (OwnerProcess.h): it takes the CLIPBOARD
// selection, tells the program it holds it, and then answers the requests of other
// programs until one of them takes the clipboard.
#include "platform/posix/ClipboardSink.h"
#include "platform/posix/Desktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/posix/OwnerProcess.h"
#include "platform/posix/ServedText.h"

namespace kirramo::posix {

bool X11DisplayReachable() {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return false;
    XCloseDisplay(d);
    return true;
}

HeldKeys QueryHeldKeysX11() {
    HeldKeys held;
    // Neither this look nor the clipboard owner needs the keyboard extension, whose
    // set-up costs two more round trips to the server on every connection.
    XkbIgnoreExtension(True);
    Display* d = XOpenDisplay(nullptr);
    if (!d) return held;
    char keys[32] = {};
    XQueryKeymap(d, keys);
    auto down = [&](KeySym left, KeySym right) {
        for (KeySym sym : {left, right}) {
            KeyCode code = XKeysymToKeycode(d, sym);
            if (code != 0 && (keys[code / 8] & (1 << (code % 8)))) return true;
        }
        return false;
    };
    held.shift = down(XK_Shift_L, XK_Shift_R);
    held.control = down(XK_Control_L, XK_Control_R);
    XCloseDisplay(d);
    return held;
}

namespace {

int IgnoreXError(Display*, XErrorEvent*) {
    // A requestor window may vanish in the middle of a transfer; its BadWindow must
    // not end the owner, which still serves everybody else.
    return 0;
}

int ExitOnLostDisplay(Display*) {
    // The display went away: nobody is left to serve.
    _exit(0);
}

class ClipboardOwner {
public:
    ClipboardOwner(Display* d, std::string text) : d_(d), text_(std::move(text)) {
        // All atoms in one round trip to the server.
        char* names[] = {const_cast<char*>("CLIPBOARD"),   const_cast<char*>("TARGETS"),
                         const_cast<char*>("MULTIPLE"),    const_cast<char*>("TIMESTAMP"),
                         const_cast<char*>("UTF8_STRING"), const_cast<char*>("TEXT"),
                         const_cast<char*>("INCR"),        const_cast<char*>("ATOM_PAIR"),
                         const_cast<char*>("_NET_WM_PID"), const_cast<char*>("_KIRRAMO_TIME")};
        Atom atoms[10] = {};
        XInternAtoms(d_, names, 10, False, atoms);
        clipboard_ = atoms[0];
        targets_ = atoms[1];
        multiple_ = atoms[2];
        timestamp_ = atoms[3];
        utf8String_ = atoms[4];
        textAtom_ = atoms[5];
        incr_ = atoms[6];
        atomPair_ = atoms[7];
        pidAtom_ = atoms[8];
        stampAtom_ = atoms[9];

        long units = XExtendedMaxRequestSize(d_);
        if (units == 0) units = XMaxRequestSize(d_);
        // Room for the ChangeProperty request's own header.
        size_t maxBytes = static_cast<size_t>(units) * 4 - 64;
        chunk_ = std::min<size_t>(256 * 1024, maxBytes);
    }

    // Creates the owner's window and takes the CLIPBOARD selection. False when the
    // server did not give it.
    bool Acquire() {
        Window root = DefaultRootWindow(d_);
        window_ = XCreateSimpleWindow(d_, root, -10, -10, 1, 1, 0, 0, 0);
        // Named so a person (or a test) can find the owner and its process.
        XStoreName(d_, window_, "Kirramo clipboard");
        XClassHint hint{const_cast<char*>("kirramo"), const_cast<char*>("Kirramo")};
        XSetClassHint(d_, window_, &hint);
        long pid = getpid();
        XChangeProperty(d_, window_, pidAtom_, XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);

        // A real server time for the ownership: append nothing to a property of our
        // own and read the time from the PropertyNotify that follows.
        XSelectInput(d_, window_, PropertyChangeMask);
        const Atom stamp = stampAtom_;
        unsigned char none = 0;
        XChangeProperty(d_, window_, stamp, XA_STRING, 8, PropModeAppend, &none, 0);
        XEvent ev;
        do {
            XWindowEvent(d_, window_, PropertyChangeMask, &ev);
        } while (ev.xproperty.atom != stamp);
        acquired_ = ev.xproperty.time;

        XSetSelectionOwner(d_, clipboard_, window_, acquired_);
        return XGetSelectionOwner(d_, clipboard_) == window_;
    }

    // Answers requests until another program takes the clipboard and the transfers
    // still running have ended.
    void Serve() {
        const int fd = ConnectionNumber(d_);
        for (;;) {
            while (XPending(d_) > 0) {
                XEvent ev;
                XNextEvent(d_, &ev);
                Handle(ev);
            }
            if (lost_ && transfers_.empty()) return;
            pollfd p{fd, POLLIN, 0};
            int timeout = transfers_.empty() ? -1 : 1000;
            int r = poll(&p, 1, timeout);
            if (r < 0 && errno != EINTR) return;
            if (r == 0) DropStaleTransfers();
        }
    }

private:
    // One incremental transfer to a requestor's property.
    struct Transfer {
        Window requestor;
        Atom property;
        Atom type;
        TextForm form;
        size_t offset;  // where the next piece starts in the UTF-8 text
        time_t lastActivity;
    };

    void PutPiece(Window requestor, Atom property, Atom type, std::string_view piece) {
        XChangeProperty(d_, requestor, property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(piece.data()), static_cast<int>(piece.size()));
    }

    void Handle(const XEvent& ev) {
        switch (ev.type) {
        case SelectionClear:
            if (ev.xselectionclear.selection == clipboard_) lost_ = true;
            break;
        case SelectionRequest:
            Answer(ev.xselectionrequest);
            break;
        case PropertyNotify:
            if (ev.xproperty.state == PropertyDelete && ev.xproperty.window != window_)
                Continue(ev.xproperty.window, ev.xproperty.atom);
            break;
        case DestroyNotify:
            Forget(ev.xdestroywindow.window);
            break;
        default:
            break;
        }
    }

    void Answer(const XSelectionRequestEvent& req) {
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.display = d_;
        reply.requestor = req.requestor;
        reply.selection = req.selection;
        reply.target = req.target;
        reply.time = req.time;
        reply.property = None;

        // Old clients name no property: the target atom serves as the property then.
        const Atom property = req.property != None ? req.property : req.target;
        const bool ours = !lost_ && req.selection == clipboard_ &&
                          (req.time == CurrentTime || req.time >= acquired_);
        if (ours) {
            if (req.target == multiple_) {
                if (req.property != None && ConvertMultiple(req.requestor, req.property))
                    reply.property = req.property;
            } else if (Convert(req.requestor, req.target, property, true)) {
                reply.property = property;
            }
        }
        XSendEvent(d_, req.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    }

    // Writes one target into the requestor's property. Texts larger than one request
    // go incrementally (INCR) when allowed. False for a target the owner does not offer.
    bool Convert(Window requestor, Atom target, Atom property, bool allowIncr) {
        if (target == targets_) {
            Atom list[] = {targets_, multiple_, timestamp_, utf8String_, XA_STRING, textAtom_};
            XChangeProperty(d_, requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(list), std::size(list));
            return true;
        }
        if (target == timestamp_) {
            long t = static_cast<long>(acquired_);
            XChangeProperty(d_, requestor, property, XA_INTEGER, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&t), 1);
            return true;
        }
        TextForm form = TextForm::Utf8;
        Atom type;
        if (target == utf8String_ || target == textAtom_) {
            // TEXT leaves the encoding to the owner: UTF-8.
            type = utf8String_;
        } else if (target == XA_STRING) {
            form = TextForm::String;
            type = XA_STRING;
        } else {
            return false;
        }
        if (text_.Size(form) <= chunk_) {
            size_t offset = 0;
            PutPiece(requestor, property, type, text_.Piece(form, offset, chunk_));
            return true;
        }
        if (!allowIncr) return false;
        // The requestor deletes the INCR property once it has read it; each delete asks
        // for the next piece (see Continue).
        XSelectInput(d_, requestor, PropertyChangeMask | StructureNotifyMask);
        long total = static_cast<long>(std::min<size_t>(text_.Size(form), LONG_MAX));
        XChangeProperty(d_, requestor, property, incr_, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(&total), 1);
        // A new request for the same property replaces an unfinished one.
        EndTransfer(requestor, property, false);
        transfers_.push_back({requestor, property, type, form, 0, std::time(nullptr)});
        return true;
    }

    // MULTIPLE: the property holds pairs of target and property; each is converted,
    // and a pair that cannot be (including a text too large for one request) gets None
    // as its target.
    bool ConvertMultiple(Window requestor, Atom property) {
        Atom actualType;
        int actualFormat;
        unsigned long count, after;
        unsigned char* raw = nullptr;
        if (XGetWindowProperty(d_, requestor, property, 0, LONG_MAX / 4, False, AnyPropertyType,
                               &actualType, &actualFormat, &count, &after, &raw) != Success ||
            actualFormat != 32 || raw == nullptr) {
            if (raw) XFree(raw);
            return false;
        }
        std::vector<Atom> pairs(reinterpret_cast<Atom*>(raw), reinterpret_cast<Atom*>(raw) + count);
        XFree(raw);
        for (size_t i = 0; i + 1 < pairs.size(); i += 2) {
            if (pairs[i] == multiple_ || pairs[i + 1] == None ||
                !Convert(requestor, pairs[i], pairs[i + 1], false))
                pairs[i] = None;
        }
        XChangeProperty(d_, requestor, property, atomPair_, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(pairs.data()),
                        static_cast<int>(pairs.size()));
        return true;
    }

    // The requestor deleted a property: the next piece of an incremental transfer,
    // or the empty piece that ends it.
    void Continue(Window requestor, Atom property) {
        for (Transfer& t : transfers_) {
            if (t.requestor != requestor || t.property != property) continue;
            t.lastActivity = std::time(nullptr);
            const std::string_view piece = text_.Piece(t.form, t.offset, chunk_);
            PutPiece(requestor, property, t.type, piece);
            if (piece.empty()) EndTransfer(requestor, property, true);
            return;
        }
    }

    void EndTransfer(Window requestor, Atom property, bool releaseWindow) {
        std::erase_if(transfers_, [&](const Transfer& t) {
            return t.requestor == requestor && t.property == property;
        });
        if (releaseWindow) ReleaseIfIdle(requestor);
    }

    void ReleaseIfIdle(Window requestor) {
        for (const Transfer& t : transfers_)
            if (t.requestor == requestor) return;
        XSelectInput(d_, requestor, NoEventMask);
    }

    void Forget(Window requestor) {
        std::erase_if(transfers_, [&](const Transfer& t) { return t.requestor == requestor; });
    }

    void DropStaleTransfers() {
        const time_t now = std::time(nullptr);
        std::vector<Window> dropped;
        std::erase_if(transfers_, [&](const Transfer& t) {
            bool stale = now - t.lastActivity > kStaleTransferSeconds;
            if (stale) dropped.push_back(t.requestor);
            return stale;
        });
        for (Window w : dropped) ReleaseIfIdle(w);
    }

    Display* d_;
    ServedText text_;
    Window window_ = None;
    Time acquired_ = CurrentTime;
    size_t chunk_ = 0;
    bool lost_ = false;
    std::vector<Transfer> transfers_;
    Atom clipboard_, targets_, multiple_, timestamp_, utf8String_, textAtom_, incr_, atomPair_,
        pidAtom_, stampAtom_;
};

// The owner's body (OwnerRoad::serve), in its own process.
void ServeX11(std::string text, OwnerReport& report) {
    XSetErrorHandler(IgnoreXError);
    XSetIOErrorHandler(ExitOnLostDisplay);
    XkbIgnoreExtension(True);  // no keyboard here: two round trips fewer
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    ClipboardOwner owner(d, std::move(text));
    if (!owner.Acquire()) return;
    report(true);
    owner.Serve();
}

template <class Text>
PlaceResult PlaceOnX11(const Text& text) {
    if (StartOwner(kX11Owner, text)) return {PlaceResult::Kind::Placed, {}};
    // No X server answers at DISPLAY: trying again cannot help, and no box can be shown
    // there; the next road takes the text so that it is not lost.
    if (X11DisplayReachable()) return {PlaceResult::Kind::Busy, {}};
    const char* display = std::getenv("DISPLAY");
    return {PlaceResult::Kind::Unreachable,
            std::string("ディスプレイ「") + (display ? display : "") + "」に接続できません。"};
}

}  // namespace

const OwnerRoad kX11Owner{kClipboardOwnerArgument, ServeX11};

bool X11OwnerSink::Available() const { return DetectDisplay() == DisplayKind::X11; }

PlaceResult X11OwnerSink::Place(const std::string& text) { return PlaceOnX11(text); }

PlaceResult X11OwnerSink::Place(const TextPieces& text) { return PlaceOnX11(text); }

}  // namespace kirramo::posix
