#include "collect/FormatItem.h"

#include <stdexcept>

#include "collect/Utf8.h"
#include "collect/PathForms.h"
#include "collect/TimeStamps.h"
#include "options/SizeUnits.h"

namespace kirramo {

namespace {

std::string_view NameView(std::string_view text, char sep) {
    size_t cut = text.rfind(sep);
    return cut == std::string_view::npos ? text : text.substr(cut + 1);
}

std::string_view WithoutExtension(std::string_view text, char sep) {
    const char stops[2] = {sep, '.'};
    size_t cut = text.find_last_of(std::string_view(stops, 2));
    if (cut == std::string_view::npos || text[cut] == sep) return text;
    return text.substr(0, cut);
}

}  // namespace

std::string NameOfPath(std::string_view text, char sep) { return std::string(NameView(text, sep)); }

std::string ParentOfPath(std::string_view text, char sep) {
    size_t cut = text.rfind(sep);
    if (cut == std::string_view::npos)
        throw std::invalid_argument("path without a separator: " + std::string(text));
    return std::string(text.substr(0, cut));
}

std::string StripExtension(std::string_view text, char sep) {
    return std::string(WithoutExtension(text, sep));
}

std::string SelectionBase(const ItemContext& context, const std::string& path) {
    const OptionSet& o = context.options;
    if (!o.GBackword) return {};
    std::string parent = ParentOfPath(path, context.files.Separator());
    std::string base;
    if (o.GLong) {
        base = LongPathOf(context.files, parent);
    } else if (std::optional<std::string> shortForm = ShortPathOf(context.files, parent)) {
        base = std::move(*shortForm);
    } else {
        context.showMessage(kShortPathFailedMessage);
        base = std::move(parent);
    }
    return base;
}

std::string FormatItem(const ItemContext& context, std::string_view base, const std::string& path,
                       const EntryInfo& entry) {
    const OptionSet& o = context.options;
    FileSystem& files = context.files;
    const bool isDir = entry.IsDir();

    std::string timeText;
    if (o.GTime) timeText = ItemTimeText(context.locale, entry);
    std::string sizeText;
    if (!isDir && o.GSize) sizeText = SizeText(context.locale, entry.size, o.GUnit);

    // The path's text is worked on as a view of the given path; only a step that
    // really changes it makes a text of its own. Listings of many entries then build
    // each line in one piece.
    std::string owned;
    std::string_view work = path;
    // The network form comes before the long or short form. With GBackword the line is
    // the part below the selected path's folder, which the network form does not
    // change where the folder and the item lie on one volume; where they do not (a
    // selected mount point below a local folder), the local text is the one that the
    // folder's text is cut from.
    if (o.GUnc && !o.GBackword) {
        owned = ToUncPath(files, context.shares, path);
        work = owned;
    }
    if (o.GLong) {
        // LongPathOf keeps a path without "~" (and every path where there are no short
        // names) as it is.
        if (files.HasShortNames() && work.find('~') != std::string_view::npos) {
            owned = LongPathOf(files, std::string(work));
            work = owned;
        }
    } else if (std::optional<std::string> shortForm = ShortPathOf(files, std::string(work))) {
        owned = std::move(*shortForm);
        work = owned;
    } else {
        context.showMessage(kShortPathFailedMessage);
    }

    if (o.GBackword) {
        // Cut the base and the separator after it, counted in characters: only the
        // lengths are used, and a cut inside a character would corrupt the text.
        const size_t count = utf8::Length(base) + 1;
        if (utf8::Length(work) < count)
            throw std::invalid_argument("the selected folder's text is longer than the item: " +
                                        std::string(work));
        work.remove_prefix(utf8::OffsetOf(work, count));
    }
    const char sep = files.Separator();
    if (o.GName) work = NameView(work, sep);
    if (!isDir && o.GExt) work = WithoutExtension(work, sep);

    std::string line;
    line.reserve(o.GPrefix.size() + work.size() + o.GSuffix.size() + timeText.size() +
                 sizeText.size() + 2);
    line += o.GPrefix;
    line += work;
    line += o.GSuffix;
    if (o.GTime) {
        line += '\t';
        line += timeText;
    }
    if (!sizeText.empty()) {
        line += '\t';
        line += sizeText;
    }
    return line;
}

std::string SizeText(Locale& locale, uint64_t bytes, int unit) {
    static constexpr uint64_t kDivisor[] = {1, 1, 1024, 1048576, 1073741824};
    static_assert(std::size(kDivisor) == std::size(kSizeUnits));
    if (unit < 0 || unit > 4) return {};
    const uint64_t d = kDivisor[unit];
    uint64_t n = bytes / d;
    const uint64_t rest = bytes % d;
    // Round to the nearest whole number; an exact half goes to the even neighbour.
    if (rest * 2 > d || (rest * 2 == d && (n & 1) != 0)) ++n;
    return locale.GroupDigits(n) + kSizeUnits[unit].suffix;
}

InfoWanted WantedFor(const OptionSet& options) {
    InfoWanted wanted;
    wanted.size = options.GSize && options.GUnit >= 0 && options.GUnit <= 4;
    wanted.times = options.GTime;
    return wanted;
}

}  // namespace kirramo
