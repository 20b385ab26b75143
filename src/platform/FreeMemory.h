#pragma once

// Gives the heap pages freed since back to the system. glibc keeps freed memory in the
// arena of the thread that allocated it, and a worker's arena is rarely trimmed on its own:
// after a big decoding, or after the panel has been shown, that stays resident for good.
namespace FreeMemory {

void giveBack();

// Large blocks (from 128 KiB: a data file's bytes, a decoded document) get pages of their
// own, handed back as soon as they are freed. glibc otherwise raises that limit when one
// is freed, and depending on which thread freed one first, a worker's later large blocks
// landed in its heap among small ones that stay: at 10,000 items about one start in
// twenty kept 7 MiB it could not give back. Called first thing at start.
constexpr int kLargeBlockBytes = 128 * 1024;
void keepLargeBlocksApart();

} // namespace FreeMemory
