#pragma once

// Gives the heap pages freed since back to the system. glibc keeps freed memory in the
// arena of the thread that allocated it, and a worker's arena is rarely trimmed on its own:
// after a big decoding, or after the panel has been shown, that stays resident for good.
namespace FreeMemory {

void giveBack();

} // namespace FreeMemory
