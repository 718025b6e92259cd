#include "fake/FakePlatform.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "collect/Utf8.h"

namespace kirramo {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = 86'400 * kTicksPerSecond;
// Days from 1970-01-01 back to 1601-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134'774;

// The components of a path's text after its root and the separator after the root;
// one trailing separator is allowed. False for an empty component ("a\\\\b").
bool SplitComponents(std::string_view rest, char separator, std::vector<std::string>& components) {
    if (!rest.empty() && rest.back() == separator) rest.remove_suffix(1);
    if (rest.empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t sep = rest.find(separator, start);
        std::string_view comp = rest.substr(start, sep == std::string_view::npos ? rest.npos : sep - start);
        if (comp.empty()) return false;
        components.emplace_back(comp);
        if (sep == std::string_view::npos) return true;
        start = sep + 1;
    }
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

CivilTime CivilFromDaysAndSeconds(int64_t z, int64_t secs) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = static_cast<int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    CivilTime c;
    c.year = static_cast<int>(y + (m <= 2));
    c.month = static_cast<int>(m);
    c.day = static_cast<int>(d);
    c.hour = static_cast<int>(secs / 3600);
    c.minute = static_cast<int>(secs / 60 % 60);
    c.second = static_cast<int>(secs % 60);
    return c;
}

std::string Pad2(int n) {
    std::string s = std::to_string(n);
    return s.size() < 2 ? "0" + s : s;
}

class FakeDirReader : public DirReader {
public:
    FakeDirReader(std::vector<EntryInfo> entries, int* openNow, FakePlatform::EntryHook hook, std::string folder)
        : entries_(std::move(entries)), openNow_(openNow), hook_(std::move(hook)), folder_(std::move(folder)) {}
    ~FakeDirReader() override {
        if (openNow_) --*openNow_;
    }
    bool Next(EntryInfo& entry) override {
        if (pos_ >= entries_.size()) return false;
        if (hook_) hook_(folder_, entries_[pos_].name);
        entry = entries_[pos_++];
        return true;
    }

private:
    std::vector<EntryInfo> entries_;
    size_t pos_ = 0;
    int* openNow_;
    FakePlatform::EntryHook hook_;
    std::string folder_;
};

}  // namespace

FakePlatform::FakePlatform(Style style)
    : settingsLocation(style == Style::Slash ? "/home/aiko/.config/kirramo/Tolvane.ini"
                                             : "C:\\Program Files\\Kirramo\\Tolvane.ini"),
      slash_(style == Style::Slash) {}
FakePlatform::~FakePlatform() = default;

std::string FakePlatform::FoldUpper(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string FakePlatform::FoldLower(const std::string& s) {
    std::string r = s;
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

FileTicks FakePlatform::Ticks(int year, int month, int day, int hour, int minute, int second,
                              int millisecond) {
    int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                   kDaysFrom1601To1970;
    return days * kTicksPerDay + (hour * 3600LL + minute * 60LL + second) * kTicksPerSecond +
           millisecond * 10'000LL;
}

// ---- Paths and nodes ----

std::optional<FakePlatform::Parsed> FakePlatform::ParseSlash(const std::string& path) const {
    if (path.empty() || path[0] != '/') return std::nullopt;
    Parsed p;
    p.rootKey = "/";
    std::string_view rest(path);
    rest.remove_prefix(1);
    if (!SplitComponents(rest, '/', p.components)) return std::nullopt;
    return p;
}

std::optional<FakePlatform::Parsed> FakePlatform::Parse(const std::string& path) const {
    if (slash_) return ParseSlash(path);
    Parsed p;
    size_t restAt;
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
        p.rootText = path.substr(0, 2);
        restAt = 2;
    } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        size_t serverEnd = path.find('\\', 2);
        if (serverEnd == std::string::npos || serverEnd == 2) return std::nullopt;
        size_t shareEnd = path.find('\\', serverEnd + 1);
        if (shareEnd == std::string::npos) shareEnd = path.size();
        if (shareEnd == serverEnd + 1) return std::nullopt;
        p.rootText = path.substr(0, shareEnd);
        restAt = shareEnd;
    } else {
        return std::nullopt;
    }
    p.rootKey = FoldUpper(p.rootText);
    std::string_view rest(path);
    rest.remove_prefix(restAt);
    if (rest.empty()) return p;
    if (rest[0] != '\\') return std::nullopt;  // "C:dir" is relative to a current folder
    rest.remove_prefix(1);
    if (!SplitComponents(rest, '\\', p.components)) return std::nullopt;
    return p;
}

FakePlatform::Node* FakePlatform::Root(const std::string& rootKey, bool create) {
    auto it = roots_.find(rootKey);
    if (it != roots_.end()) return it->second.get();
    if (!create) return nullptr;
    auto node = std::make_unique<Node>();
    node->attributes = kAttrDirectory;
    auto vol = volumes_.emplace(rootKey, volumes_.size() + 1).first;
    node->volume = vol->second;
    node->serial = nextSerial_++;
    Node* raw = node.get();
    roots_.emplace(rootKey, std::move(node));
    return raw;
}

FakePlatform::Node* FakePlatform::Child(Node* folder, const std::string& component,
                                        bool byShortName) const {
    const std::string folded = KeyOf(component);
    auto it = folder->children.find(folded);
    if (it != folder->children.end()) return it->second.get();
    if (!byShortName) return nullptr;
    for (auto& [key, child] : folder->children)
        if (!child->shortName.empty() && FoldUpper(child->shortName) == folded) return child.get();
    return nullptr;
}

FakePlatform::Node* FakePlatform::FollowLink(Node* node, int depth) {
    while (node && !node->linkTarget.empty()) {
        if (depth > 32) return nullptr;
        auto p = Parse(node->linkTarget);
        if (!p) return nullptr;
        node = Walk(*p, true, ++depth);
    }
    return node;
}

FakePlatform::Node* FakePlatform::Walk(const Parsed& p, bool followLast, int depth) {
    Node* node = Root(p.rootKey, false);
    for (const std::string& comp : p.components) {
        node = FollowLink(node, depth);
        if (!node || !node->IsDir()) return nullptr;
        node = Child(node, comp);
    }
    return followLast ? FollowLink(node, depth) : node;
}

FakePlatform::Node& FakePlatform::Create(const std::string& path, bool folder) {
    auto p = Parse(path);
    if (!p) throw std::invalid_argument("FakePlatform: not a full path: " + path);
    Node* node = Root(p->rootKey, true);
    for (size_t i = 0; i < p->components.size(); ++i) {
        const std::string& comp = p->components[i];
        bool last = i + 1 == p->components.size();
        // Building a large tree must stay fast: a new name is matched against the short
        // names of its siblings only when it looks like a generated one.
        Node* child = Child(node, comp, comp.find('~') != std::string::npos);
        if (!child) {
            auto fresh = std::make_unique<Node>();
            fresh->name = comp;
            fresh->attributes = (last && !folder) ? kAttrArchive : kAttrDirectory;
            fresh->volume = node->volume;
            fresh->serial = nextSerial_++;
            child = fresh.get();
            node->children.emplace(KeyOf(comp), std::move(fresh));
        } else if (!last && !child->IsDir()) {
            throw std::invalid_argument("FakePlatform: a file stands in the way: " + path);
        }
        node = child;
    }
    if (folder && !node->IsDir())
        throw std::invalid_argument("FakePlatform: a file has this path: " + path);
    if (!folder && node->IsDir())
        throw std::invalid_argument("FakePlatform: a folder has this path: " + path);
    return *node;
}

FakePlatform::Node& FakePlatform::AddFile(const std::string& path, uint64_t size,
                                          FileTicks writeTime, uint32_t attributes) {
    Node& n = Create(path, false);
    n.size = size;
    n.writeTime = writeTime;
    n.attributes = attributes & ~static_cast<uint32_t>(kAttrDirectory);
    return n;
}

FakePlatform::Node& FakePlatform::AddFolder(const std::string& path, FileTicks creationTime,
                                            uint32_t extraAttributes) {
    Node& n = Create(path, true);
    if (creationTime != kNoTime) n.creationTime = creationTime;
    n.attributes |= extraAttributes;
    return n;
}

FakePlatform::Node& FakePlatform::AddLink(const std::string& linkPath,
                                          const std::string& targetPath) {
    Node& n = Create(linkPath, true);
    n.linkTarget = targetPath;
    return n;
}

void FakePlatform::SetShortName(const std::string& path, const std::string& shortName) {
    Node* n = Find(path);
    if (!n) throw std::invalid_argument("FakePlatform: no such entry: " + path);
    n->shortName = shortName;
}

bool FakePlatform::Remove(const std::string& path) {
    auto p = Parse(path);
    if (!p || p->components.empty()) return false;
    std::string last = p->components.back();
    p->components.pop_back();
    Node* parent = Walk(*p, true);
    if (!parent) return false;
    Node* child = Child(parent, last);
    if (!child) return false;
    parent->children.erase(KeyOf(child->name));
    return true;
}

FakePlatform::Node* FakePlatform::Find(const std::string& path) {
    auto p = Parse(path);
    return p ? Walk(*p, false) : nullptr;
}

EntryInfo FakePlatform::InfoOf(Node* node, InfoWanted wanted) {
    EntryInfo e;
    e.name = node->name;
    e.attributes = node->attributes;
    if (!node->linkTarget.empty()) e.attributes |= kAttrLink;
    if (wanted.size) {
        e.size = node->IsDir() ? 0 : node->size;
        e.hasSize = true;
    }
    if (wanted.times) {
        e.writeTime = node->writeTime;
        e.creationTime = node->creationTime;
        e.hasTimes = true;
    }
    if (wanted.id) {
        Node* target = FollowLink(node);
        if (target) e.id = FileId{target->volume, target->serial, true};
    }
    return e;
}

// ---- Platform: path syntax and file system ----

std::string FakePlatform::CutRoot(std::string_view folder) const {
    if (slash_) return folder == "/" ? std::string() : std::string(folder);
    if (folder.size() == 3 && IsAsciiLetter(folder[0]) && folder[1] == ':' && folder[2] == '\\')
        return std::string(folder.substr(0, 2));
    return std::string(folder);
}

std::optional<EntryInfo> FakePlatform::Stat(const std::string& path, InfoWanted wanted) {
    ++statCalls;
    Node* n = Find(path);
    if (!n) return std::nullopt;
    return InfoOf(n, wanted);
}

std::unique_ptr<DirReader> FakePlatform::OpenDir(const std::string& folder, InfoWanted wanted) {
    ++openDirCalls;
    openDirWanted.push_back(wanted);
    std::vector<EntryInfo> entries;
    // A cut root stands for the root folder: "" in the "/" style ("C:" parses as it is).
    auto p = Parse(slash_ && folder.empty() ? "/" : folder);
    Node* n = p ? Walk(*p, true) : nullptr;
    if (n && n->IsDir()) {
        entries.reserve(n->children.size());
        for (auto& [key, child] : n->children) entries.push_back(InfoOf(child.get(), wanted));
    }
    ++openDirsNow;
    if (openDirsNow > maxOpenDirs) maxOpenDirs = openDirsNow;
    return std::make_unique<FakeDirReader>(std::move(entries), &openDirsNow, onListedEntry, folder);
}

std::optional<std::string> FakePlatform::FindLongName(const std::string& path) {
    ++findLongNameCalls;
    findLongNameArgs.push_back(path);
    auto p = Parse(path);
    if (!p || p->components.empty()) return std::nullopt;
    Node* n = Walk(*p, false);
    if (!n) return std::nullopt;
    return n->name;
}

std::optional<std::string> FakePlatform::ShortPath(const std::string& path) {
    if (shortPathFails) return std::nullopt;
    if (slash_) return path;  // no short names: the short form is the path itself
    auto p = Parse(path);
    if (!p) return std::nullopt;
    Node* node = Root(p->rootKey, false);
    if (!node) return std::nullopt;
    std::string result = p->rootText;
    for (const std::string& comp : p->components) {
        node = FollowLink(node);
        if (!node || !node->IsDir()) return std::nullopt;
        node = Child(node, comp);
        if (!node) return std::nullopt;
        result += '\\';
        result += node->shortName.empty() ? comp : node->shortName;
    }
    if (!path.empty() && path.back() == '\\') result += '\\';
    return result;
}

std::optional<VolumeRoot> FakePlatform::VolumeRootOf(const std::string& path) {
    if (slash_) {
        if (path.empty() || path[0] != '/') return std::nullopt;
        // The longest mount point that is a whole-component prefix of the path.
        std::string best = "/";
        for (const auto& [mountPoint, share] : driveConnections) {
            const bool whole = path.starts_with(mountPoint) &&
                               (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
            if (mountPoint != "/" && whole && mountPoint.size() > best.size()) best = mountPoint;
        }
        return VolumeRoot{CutRoot(best)};
    }
    if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':')
        return VolumeRoot{path.substr(0, 2)};
    return std::nullopt;
}

std::string FakePlatform::DriveConnection(const VolumeRoot& root) {
    ++driveConnectionCalls;
    driveConnectionArgs.push_back(root.key);
    if (slash_) {
        auto it = driveConnections.find(root.key.empty() ? "/" : root.key);
        return it == driveConnections.end() ? std::string() : it->second;
    }
    std::string key = FoldUpper(root.key);
    for (const auto& [drive, share] : driveConnections)
        if (FoldUpper(drive) == key) return share;
    return {};
}

// ---- Platform: time and number texts ----

std::optional<CivilTime> FakePlatform::UtcToLocal(FileTicks t) {
    if (t == kNoTime || t < 0) return std::nullopt;
    FileTicks offset = utcOffsetMinutes * 60LL * kTicksPerSecond;
    if (offset > 0 && t > INT64_MAX - offset) return std::nullopt;
    t += offset;
    if (t < 0) return std::nullopt;
    int64_t days = t / kTicksPerDay;
    int64_t secs = t % kTicksPerDay / kTicksPerSecond;
    return CivilFromDaysAndSeconds(days - kDaysFrom1601To1970, secs);
}

std::string FakePlatform::GeneralDateText(const CivilTime& c) {
    std::string s = std::to_string(c.year) + dateSeparator + Pad2(c.month) + dateSeparator +
                    Pad2(c.day);
    if (c.hour == 0 && c.minute == 0 && c.second == 0) return s;
    return s + " " + std::to_string(c.hour) + timeSeparator + Pad2(c.minute) + timeSeparator +
           Pad2(c.second);
}

std::string FakePlatform::GroupDigits(uint64_t n) {
    return GroupDigitsWith(n, ",");
}

std::vector<std::string> FakePlatform::SortKeys(const std::vector<std::string>& lines) {
    std::vector<std::string> keys;
    keys.reserve(lines.size());
    for (const std::string& line : lines) keys.push_back(FoldLower(line));
    return keys;
}

// ---- Platform: processes, settings, user interface ----

std::optional<std::vector<std::string>> FakePlatform::TreeCommandOutput(const std::string& folder, bool withFiles,
                                                                        const TreeCheckpoint& checkpoint) {
    treeCalls.emplace_back(folder, withFiles);
    treeStopAnswers.push_back(checkpoint && checkpoint(0));
    auto it = treeOutputs.find(folder);
    if (it == treeOutputs.end()) return std::nullopt;
    return it->second;
}

bool FakePlatform::WriteSettingsBytes(const std::string& bytes) {
    ++settingsWrites;
    if (settingsWriteFails) return false;
    settingsText = bytes;
    return true;
}

namespace {

// The double-byte characters of cp932 that the fake knows.
const std::pair<std::string_view, std::string_view> kCp932Pairs[] = {
    {"日", "\x93\xFA"}, {"本", "\x96\x7B"}, {"語", "\x8C\xEA"}, {"前", "\x91\x4F"}, {"表", "\x95\x5C"},
    {"「", "\x81\x75"}, {"」", "\x81\x76"}, {"テ", "\x83\x65"}, {"ス", "\x83\x58"}, {"ト", "\x83\x67"},
    {"あ", "\x82\xA0"}, {"い", "\x82\xA2"}, {"ソ", "\x83\x5C"},
};
// The half-width katakana: one byte in cp932, U+FF61 to U+FF9F in Unicode.
constexpr unsigned char kFirstHalfWidth = 0xA1, kLastHalfWidth = 0xDF;
constexpr char32_t kFirstHalfWidthCode = 0xFF61;

bool IsCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

}  // namespace

std::string FakePlatform::AnsiLineText(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(line[i]);
        if (b < 0x80) {
            out += line[i];
        } else if (b >= kFirstHalfWidth && b <= kLastHalfWidth) {
            const unsigned code = kFirstHalfWidthCode + (b - kFirstHalfWidth);
            out += static_cast<char>(0xEF);
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            std::string_view found = "・";
            if (IsCp932Lead(b) && i + 1 < line.size()) {
                for (const auto& [text, bytes] : kCp932Pairs)
                    if (line.substr(i, 2) == bytes) found = text;
                ++i;
            }
            out += found;
        }
    }
    return out;
}

std::optional<std::string> FakePlatform::PlainSettingsBytes(const std::string& text) {
    if (!settingsInCp932) return text;
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        const size_t start = pos;
        const char32_t c = utf8::Next(text, pos);
        const std::string_view character = std::string_view(text).substr(start, pos - start);
        if (c < 0x80) {
            out += character;
        } else if (c >= kFirstHalfWidthCode && c <= kFirstHalfWidthCode + (kLastHalfWidth - kFirstHalfWidth)) {
            out += static_cast<char>(kFirstHalfWidth + (c - kFirstHalfWidthCode));
        } else {
            const auto pair = std::find_if(std::begin(kCp932Pairs), std::end(kCp932Pairs),
                                           [character](const auto& p) { return p.first == character; });
            if (pair == std::end(kCp932Pairs)) return std::nullopt;
            out += pair->second;
        }
    }
    return out;
}

bool FakePlatform::EmptyClipboard() {
    ++clipboardEmptyCalls;
    if (clipboardEmptyFails) return false;
    clipboard = std::string();
    return true;
}

bool FakePlatform::SetClipboardText(const std::string& text) {
    ++clipboardSetAttempts;
    if (clipboardBusyFor > 0) {
        --clipboardBusyFor;
        return false;
    }
    clipboard = text;
    return true;
}

bool FakePlatform::SetClipboardPieces(const TextPieces& text) {
    const std::string joined = text.Joined();
    if (joined.size() != text.Size()) ++clipboardSizeMismatches;
    return SetClipboardText(joined);
}

Placing FakePlatform::PlaceText(const std::string& text) {
    if (!clipboardFailure) return Platform::PlaceText(text);
    ++clipboardSetAttempts;
    return {Placing::Kind::Failed, *clipboardFailure};
}

Placing FakePlatform::PlacePieces(const TextPieces& text) {
    if (!clipboardFailure) return Platform::PlacePieces(text);
    ++clipboardSetAttempts;
    return {Placing::Kind::Failed, *clipboardFailure};
}

void FakePlatform::SetWaitCursor(bool on) {
    waitCursorCalls.push_back(on);
    waitCursorOn = on;
}

}  // namespace kirramo
