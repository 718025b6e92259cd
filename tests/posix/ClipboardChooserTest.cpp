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

using Kind = PlaceResult::Kind;

// A road that answers as scripted and writes down what it was given. Where it fails,
// it says so in a sentence with its name.
class ScriptedSink final : public ClipboardSink {
public:
    ScriptedSink(std::string name, bool available, Kind result, bool takesPieces, std::string& log)
        : name_(std::move(name)), available_(available), result_(result),
          takesPieces_(takesPieces), log_(log) {}
    const char* Name() const override { return name_.c_str(); }
    const char* Where() const override { return name_.c_str(); }
    bool Available() const override { return available_; }
    PlaceResult Place(const std::string& text) override {
        log_ += name_ + "(" + text + ") ";
        return Result();
    }
    PlaceResult Place(const TextPieces& text) override {
        if (!takesPieces_) return ClipboardSink::Place(text);
        std::string pieces;
        text.Each([&](std::string_view piece) {
            pieces += "[" + std::string(piece) + "]";
            return true;
        });
        log_ += name_ + pieces + " ";
        return Result();
    }

private:
    PlaceResult Result() const {
        if (result_ == Kind::Unreachable) return {result_, name_ + "に届きません。"};
        if (result_ == Kind::Failed) return {result_, name_ + "に書けません。"};
        return {result_, {}};
    }

    std::string name_;
    bool available_;
    Kind result_;
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
    Kind result;
    bool takesPieces = false;
};

TEST(ClipboardChooser, TakesTheFirstAvailableRoadAndFallsThroughOnlyWhereOneIsUnreachable) {
    using enum Kind;
    using P = Placing::Kind;
    const struct {
        const char* what;
        std::vector<Road> roads;
        Placing placing;        // what the core is told
        const char* note;       // what the user is told beside it
        const char* textLog;    // what the roads were given for the text "abcd"
        const char* piecesLog;  // ... and for the pieces "ab" "cd"
    } cases[] = {
        {"first road places it", {{"x11", true, Placed}, {"out", true, Placed, true}}, {P::Placed, ""}, "",
         "x11(abcd) ", "x11(abcd) "},
        {"a road that the session lacks is passed over",
         {{"x11", false, Placed}, {"wl", true, Placed}, {"out", true, Placed, true}}, {P::Placed, ""}, "",
         "wl(abcd) ", "wl(abcd) "},
        {"busy ends the attempt", {{"x11", true, Busy}, {"out", true, Placed, true}}, {P::Busy, ""}, "",
         "x11(abcd) ", "x11(abcd) "},
        {"unreachable falls through, the pieces go on as pieces, the note says why",
         {{"x11", true, Unreachable}, {"wl", false, Placed}, {"out", true, Placed, true}}, {P::Placed, ""},
         "x11に届きません。クリップボードの代わりにoutへ書き出しました。\n", "x11(abcd) out(abcd) ",
         "x11(abcd) out[ab][cd] "},
        {"every unreachable road is named",
         {{"x11", true, Unreachable}, {"wl", true, Unreachable}, {"out", true, Placed}}, {P::Placed, ""},
         "x11に届きません。wlに届きません。クリップボードの代わりにoutへ書き出しました。\n",
         "x11(abcd) wl(abcd) out(abcd) ", "x11(abcd) wl(abcd) out(abcd) "},
        {"the last road busy", {{"x11", true, Unreachable}, {"out", true, Busy, true}}, {P::Busy, ""}, "",
         "x11(abcd) out(abcd) ", "x11(abcd) out[ab][cd] "},
        {"a road that failed for good ends it, and no later road is tried",
         {{"x11", true, Unreachable}, {"out", true, Failed, true}, {"later", true, Placed}},
         {P::Failed, "x11に届きません。outに書けません。"}, "", "x11(abcd) out(abcd) ", "x11(abcd) out[ab][cd] "},
        {"no road reachable", {{"x11", true, Unreachable}, {"wl", false, Placed}},
         {P::Failed, "x11に届きません。"}, "", "x11(abcd) ", "x11(abcd) "},
        {"no road at all", {}, {P::Failed, "クリップボードに置けませんでした。"}, "", "", ""},
    };
    for (const auto& c : cases) {
        std::string log, notes;
        std::vector<std::unique_ptr<ClipboardSink>> sinks;
        for (const Road& r : c.roads)
            sinks.push_back(std::make_unique<ScriptedSink>(r.name, r.available, r.result, r.takesPieces, log));
        ClipboardChooser chooser(std::move(sinks), [&](const std::string& note) { notes += note + "\n"; });
        EXPECT_TRUE(chooser.EmptyClipboard()) << c.what;
        Placing placed = chooser.PlaceText("abcd");
        EXPECT_EQ(placed.kind, c.placing.kind) << c.what;
        EXPECT_EQ(placed.why, c.placing.why) << c.what;
        EXPECT_EQ(notes, c.note) << c.what;
        EXPECT_EQ(log, c.textLog) << c.what;
        log.clear();
        notes.clear();
        placed = chooser.PlacePieces(TwoPieces());
        EXPECT_EQ(placed.kind, c.placing.kind) << c.what;
        EXPECT_EQ(placed.why, c.placing.why) << c.what;
        EXPECT_EQ(notes, c.note) << c.what;
        EXPECT_EQ(log, c.piecesLog) << c.what;
        // The plain yes or no says whether the text was placed.
        log.clear();
        EXPECT_EQ(chooser.SetClipboardText("abcd"), c.placing.kind == P::Placed) << c.what;
        EXPECT_EQ(chooser.SetClipboardPieces(TwoPieces()), c.placing.kind == P::Placed) << c.what;
    }
}

TEST(ClipboardChooser, LinuxRoadsFollowTheDisplaysTheSessionNames) {
    const struct {
        const char* display;
        const char* wayland;
        const char* available;
    } cases[] = {
        {":0", nullptr, "x11 stdout"},
        {":0", "wayland-0", "wayland wl-copy x11 stdout"},  // Wayland first where both are named
        {nullptr, "wayland-0", "wayland wl-copy stdout"},
        {nullptr, nullptr, "stdout"},
        {"", "", "stdout"},
    };
    for (const auto& c : cases) {
        EnvVar display("DISPLAY", c.display);
        EnvVar wayland("WAYLAND_DISPLAY", c.wayland);
        std::string available;
        for (const auto& sink : LinuxClipboardSinks())
            if (sink->Available()) available += std::string(available.empty() ? "" : " ") + sink->Name();
        EXPECT_EQ(available, c.available) << (c.display ? c.display : "-") << " "
                                          << (c.wayland ? c.wayland : "-");
    }
}

}  // namespace
}  // namespace kirramo::posix
