#include "collect/PathForms.h"

namespace kirramo {

std::optional<std::string> ShortPathOf(FileSystem& files, const std::string& path) {
    if (path.empty()) return path;  // nothing to convert (the parent of "/x" on Linux)
    return files.ShortPath(path);
}

std::string LongPathOf(FileSystem& files, const std::string& path) {
    if (!files.HasShortNames() || path.find('~') == std::string::npos) return path;
    const char sep = files.Separator();
    size_t cut = path.find(sep);
    if (cut == std::string::npos) return path;

    // The first piece (the drive, or empty text before a leading separator) is never
    // looked up; every later piece holding "~" is looked up under the prefix that is
    // already expanded, so each look-up names an existing long path.
    std::string result = path.substr(0, cut);
    result.reserve(path.size() + 64);
    while (cut != std::string::npos) {
        size_t start = cut + 1;
        cut = path.find(sep, start);
        std::string_view piece(path.data() + start,
                               (cut == std::string::npos ? path.size() : cut) - start);
        result += sep;
        if (piece.find('~') == std::string_view::npos) {
            result += piece;
            continue;
        }
        std::optional<std::string> name = files.FindLongName(result + std::string(piece));
        if (name && !name->empty())
            result += *name;
        else
            result += piece;
    }
    return result;
}

std::string ToUncPath(FileSystem& files, ShareCache& shares, const std::string& path) {
    std::optional<VolumeRoot> root = files.VolumeRootOf(path);
    // An empty root text is the root mount on Linux ("/" cut by the root rule): the
    // whole path then follows the share.
    if (!root || path.compare(0, root->key.size(), root->key) != 0) return path;
    auto cached = shares.find(root->key);
    if (cached == shares.end()) cached = shares.emplace(root->key, files.DriveConnection(*root)).first;
    const std::string& share = cached->second;
    if (share.empty()) return path;
    return share + path.substr(root->key.size());
}

}  // namespace kirramo
