// Large pages for the program's heap: a process-wide setting, made by the program's
// entry (src/startup/main_linux.cpp) and nowhere else.
#pragma once

namespace kirramo::posix {

// Lets the heap's next few hundred megabytes come in the system's large pages (where
// the system gives them on request, as transparent huge pages do), and keeps blocks of
// more than 32 MiB out of the heap. A listing of many files fills tens of megabytes
// with its lines; taking that memory in 2 MiB pages instead of 4 KiB ones spares
// hundreds of page faults per megabyte, which on a virtual machine cost more than the
// listing itself. Blocks that large still come straight from the system and go back to
// it when freed. Called once per process; nothing is touched before it is used.
void UseLargePagesForTheHeap();

}  // namespace kirramo::posix
