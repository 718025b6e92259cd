#include "collect/TreeListing.h"
#include "platform/PathForms.h"

namespace kirramo {

bool RunTree(Session& session, Platform& platform, const std::string& folder,
             std::vector<std::string>& lines, bool withFiles) {
    // Of the path forms only the network form applies to a tree listing.
    const std::string target =
        session.options.GUnc ? ToUncPath(session, platform, folder) : folder;
    std::optional<std::vector<std::string>> output = platform.TreeCommandOutput(target, withFiles);
    if (!output) return false;
    return ReadTreeOutput(*output, lines);
}

}  // namespace kirramo
