#include "collect/TreeListing.h"
#include "collect/PathForms.h"

namespace kirramo {

bool RunTree(const ItemContext& context, Desktop& desktop, const std::string& folder,
             std::vector<std::string>& lines, bool withFiles) {
    // Of the path forms only the network form applies to a tree listing.
    const std::string target =
        context.options.GUnc ? ToUncPath(context.files, context.shares, folder) : folder;
    std::optional<std::vector<std::string>> output = desktop.TreeCommandOutput(target, withFiles);
    if (!output) return false;
    return ReadTreeOutput(*output, lines);
}

}  // namespace kirramo
