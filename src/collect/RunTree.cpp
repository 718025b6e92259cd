#include "collect/PathForms.h"
#include "collect/TreeListing.h"

namespace kirramo {

bool RunTree(const ItemContext& context, Desktop& desktop, const std::string& folder,
             std::vector<std::string>& lines, bool withFiles) {
    // Of the path forms only the network form applies to a tree listing.
    const std::string target =
        context.options.GUnc ? ToUncPath(context.files, context.shares, folder) : folder;
    // The run's progress follows the listing folder by folder (a tree's lines become
    // the run's lines one for one, less its two header lines), and a cancelled run
    // stops a long listing at its next folder.
    Desktop::TreeCheckpoint checkpoint;
    if (RunProgress* progress = context.progress) {
        const uint64_t before = lines.size() - 1;
        checkpoint = [progress, before](size_t listed) {
            progress->SetLines(before + (listed > 2 ? listed - 2 : 0));
            return progress->Cancelled();
        };
    }
    std::optional<std::vector<std::string>> output = desktop.TreeCommandOutput(target, withFiles, checkpoint);
    if (output && ReadTreeOutput(*output, lines)) return true;
    if (target == folder) return false;
    // A tree command that cannot list the network form itself (the built-in renderer
    // on a network mount) lists the local folder, and the listing's first line, the
    // folder itself, shows the network form.
    output = desktop.TreeCommandOutput(folder, withFiles, checkpoint);
    if (!output || output->size() < 3) return false;
    (*output)[2] = target;
    return ReadTreeOutput(*output, lines);
}

}  // namespace kirramo
