#include "collect/PathForms.h"
#include "collect/TreeListing.h"

namespace kirramo {

bool RunTree(const ItemContext& context, Desktop& desktop, const std::string& folder,
             std::vector<std::string>& lines, bool withFiles) {
    // Of the path forms only the network form applies to a tree listing.
    const std::string target =
        context.options.GUnc ? ToUncPath(context.files, context.shares, folder) : folder;
    // A cancelled run stops a long listing at its next folder.
    std::function<bool()> stopped;
    if (RunProgress* progress = context.progress) stopped = [progress] { return progress->Cancelled(); };
    std::optional<std::vector<std::string>> output = desktop.TreeCommandOutput(target, withFiles, stopped);
    if (output && ReadTreeOutput(*output, lines)) return true;
    if (target == folder) return false;
    // A tree command that cannot list the network form itself (the built-in renderer
    // on a network mount) lists the local folder, and the listing's first line, the
    // folder itself, shows the network form.
    output = desktop.TreeCommandOutput(folder, withFiles, stopped);
    if (!output || output->size() < 3) return false;
    (*output)[2] = target;
    return ReadTreeOutput(*output, lines);
}

}  // namespace kirramo
