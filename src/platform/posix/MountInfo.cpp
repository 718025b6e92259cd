// Reading /proc/self/mountinfo: which mount holds a path, and the network share behind it.
#include <vector>

#include "platform/posix/PosixPlatform.h"

namespace kirramo::posix {
namespace {

// Undoes the kernel's octal escapes: "\040" for a blank, "\011" tab, "\012" newline,
// "\134" backslash. Anything else stays as it is.
std::string Unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    auto octal = [](char c) { return c >= '0' && c <= '7'; };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && octal(s[i + 1]) && octal(s[i + 2]) &&
            octal(s[i + 3])) {
            int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
            if (v < 256) {
                out += static_cast<char>(v);
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool IsPrefixFolder(std::string_view folder, std::string_view path) {
    if (folder == "/") return !path.empty() && path[0] == '/';
    if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || path[folder.size()] == '/';
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::vector<std::string_view> f = SplitFields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional fields...] - type source super-options
        if (f.size() < 9) continue;
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-") ++dash;
        if (dash + 2 >= f.size()) continue;
        MountEntry m;
        m.root = Unescape(f[3]);
        m.mountPoint = Unescape(f[4]);
        m.fsType = Unescape(f[dash + 1]);
        m.source = Unescape(f[dash + 2]);
        if (m.mountPoint.empty() || m.mountPoint[0] != '/') continue;
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::string ShareOfMount(const MountEntry& mount) {
    const std::string& t = mount.fsType;
    bool smb = t == "cifs" || t == "smb3" || t == "smbfs";
    bool nfs = t == "nfs" || t == "nfs4";
    if (!smb && !nfs) return {};
    std::string share = mount.source;
    // Only part of the share is mounted (a bind mount of a subfolder): the mounted
    // folder belongs to the share's text, unless the source already names it.
    const std::string& root = mount.root;
    if (!root.empty() && root != "/") {
        bool named = share.size() >= root.size() &&
                     share.compare(share.size() - root.size(), root.size(), root) == 0;
        if (!named) {
            while (!share.empty() && share.back() == '/') share.pop_back();
            share += root;
        }
    }
    return share;
}

const MountEntry* MountOfPath(const std::vector<MountEntry>& mounts, std::string_view path) {
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        if (!IsPrefixFolder(m.mountPoint, path)) continue;
        if (!best || m.mountPoint.size() >= best->mountPoint.size()) best = &m;
    }
    return best;
}

}  // namespace kirramo::posix
