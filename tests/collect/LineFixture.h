// The context in which a run makes its lines, over the fake platform: the options, the
// network shares found so far, and messages into the fake's list of shown messages.
#pragma once

#include "collect/FolderListing.h"
#include "fake/FakePlatform.h"

namespace kirramo {

struct FakeLines {
    FakePlatform fs;
    OptionSet o;
    ShareCache shares;
    FolderSet listed;

    ItemContext Context() {
        return {o, fs, fs, shares, [this](const std::string& text) { fs.MessageBox(text); }};
    }
};

}  // namespace kirramo
