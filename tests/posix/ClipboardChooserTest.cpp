// The clipboard chooser of the Linux backend: which road takes the text, when a road
// falls through to the next, and which roads a session has.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/ClipboardChooser.h"
#include "posix/EnvVar.h"

namespace kirramo::posix {
namespace {

using testing::EnvVar;

// A road that answers as scripted and writes down what it was given.
class ScriptedSink final : public ClipboardSink {
public:
    ScriptedSink(std::string name, bool available, PlaceResult result, bool takesPieces,
                 std::string& log)
        : name_(std::move(name)), available_(available), result_(result),
          takesPieces_(takesPieces), log_(log) {}
    const char* Name() const override { return name_.c_str(); }
    bool Available() const override { return available_; }
    PlaceResult Place(const std::string& text) override {
        log_ += name_ + "(" + text + ") ";
        return result_;
    }
    PlaceResult Place(const TextPieces& text) override {
        if (!takesPieces_) return ClipboardSink::Place(text);
        std::string pieces;
        text.Each([&](std::string_view piece) {
            pieces += "[" + std::string(piece) + "]";
            return true;
        });
        log_ += name_ + pieces + " ";
        return result_;
    }

private:
    std::string name_;
    bool available_;
    PlaceResult result_;
    bool takesPieces_;
    std::string& log_;
};

struct TwoPieces final : TextPieces {
    size_t Size() const override { return 4; }
    bool Each(const std::function<bool(std::string_view)>& sink) const override {
        return sink("ab") && sink("cd");
    }
};

struct Road {
    const char* name;
    bool available;
    PlaceResult result;
    bool takesPieces = false;
};

TEST(ClipboardChooser, TakesTheFirstAvailableRoadAndFallsThroughOnlyWhereOneIsUnreachable) {
    using enum PlaceResult;
    const struct {
        const char* what;
        std::vector<Road> roads;
        bool placed;
        const char* textLog;    // what the roads were given for the text "abcd"
        const char* piecesLog;  // ... and for the pieces "ab" "cd"
    } cases[] = {
        {"first road places it", {{"x11", true, Placed}, {"out", true, Placed, true}}, true,
         "x11(abcd) ", "x11(abcd) "},
        {"a road that the session lacks is passed over",
         {{"x11", false, Placed}, {"wl", true, Placed}, {"out", true, Placed, true}}, true,
         "wl(abcd) ", "wl(abcd) "},
        {"busy ends the attempt", {{"x11", true, Busy}, {"out", true, Placed, true}}, false,
         "x11(abcd) ", "x11(abcd) "},
        {"unreachable falls through, the pieces go on as pieces",
         {{"x11", true, Unreachable}, {"wl", false, Placed}, {"out", true, Placed, true}}, true,
         "x11(abcd) out(abcd) ", "x11(abcd) out[ab][cd] "},
        {"the last road busy", {{"x11", true, Unreachable}, {"out", true, Busy, true}}, false,
         "x11(abcd) out(abcd) ", "x11(abcd) out[ab][cd] "},
        {"no road reachable", {{"x11", true, Unreachable}, {"wl", false, Placed}}, false,
         "x11(abcd) ", "x11(abcd) "},
        {"no road at all", {}, false, "", ""},
    };
    for (const auto& c : cases) {
        std::string log;
        std::vector<std::unique_ptr<ClipboardSink>> sinks;
        for (const Road& r : c.roads)
            sinks.push_back(std::make_unique<ScriptedSink>(r.name, r.available, r.result,
                                                           r.takesPieces, log));
        ClipboardChooser chooser(std::move(sinks));
        EXPECT_TRUE(chooser.EmptyClipboard()) << c.what;
        EXPECT_EQ(chooser.SetClipboardText("abcd"), c.placed) << c.what;
        EXPECT_EQ(log, c.textLog) << c.what;
        log.clear();
        EXPECT_EQ(chooser.SetClipboardPieces(TwoPieces()), c.placed) << c.what;
        EXPECT_EQ(log, c.piecesLog) << c.what;
    }
}

TEST(ClipboardChooser, LinuxRoadsFollowTheDisplaysTheSessionNames) {
    const struct {
        const char* display;
        const char* wayland;
        const char* available;
    } cases[] = {
        {":0", nullptr, "x11 stdout"},
        {":0", "wayland-0", "x11 stdout"},  // X11 first where both are named
        {nullptr, "wayland-0", "wl-copy stdout"},
        {nullptr, nullptr, "stdout"},
        {"", "", "stdout"},
    };
    for (const auto& c : cases) {
        EnvVar display("DISPLAY", c.display);
        EnvVar wayland("WAYLAND_DISPLAY", c.wayland);
        std::string available;
        for (const auto& sink : LinuxClipboardSinks(nullptr))
            if (sink->Available()) available += std::string(available.empty() ? "" : " ") + sink->Name();
        EXPECT_EQ(available, c.available) << (c.display ? c.display : "-") << " "
                                          << (c.wayland ? c.wayland : "-");
    }
}

}  // namespace
}  // namespace kirramo::posix
