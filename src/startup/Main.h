// The program's entry, shared by every target.
#pragma once

#include "options/OptionSet.h"
#include "platform/Platform.h"

namespace kirramo {

// Runs one start: the collection with the stored settings (or the designed values when
// there are none). Returns the process exit status.
int Main(Session& session, Platform& platform);

}  // namespace kirramo
