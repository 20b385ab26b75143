#pragma once

// Keeps what the heap holds close to what is in use. glibc gives each thread that allocates
// an arena of its own and keeps freed memory there: a worker that checks a big nook's targets
// on every showing leaves its arena a little more fragmented each time, and freed pages are
// rarely given back on their own.
namespace FreeMemory {

// At most two arenas, the main thread's and one the workers share (glibc hands a thread one
// that is not locked); before any thread is started. The workers are few and brief.
void shareWorkersHeap();

// Gives the heap pages freed since back to the system.
void giveBack();

} // namespace FreeMemory
