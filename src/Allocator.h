#pragma once

/// Sets the C library's allocator up for a program that reads books: large
/// blocks (a decoded book, an inflated chapter, a page image) are mapped
/// and given back to the system when freed. By default glibc raises that
/// threshold after the first large block is freed, and later ones come from
/// the heap, which keeps them after they are freed: reading a large book
/// then left a few tens of MB behind for good. Call once, first thing in
/// main(). Nothing on other C libraries.
void tuneAllocator();

/// Gives the pages of freed blocks back to the system, in the heaps of all
/// threads. Small blocks freed on a worker thread (a book's parse scraps)
/// stay resident in that thread's heap, where only that thread reuses them;
/// call this after such a thread freed many of them at once. Takes some
/// milliseconds for a large book; any thread. Nothing on other C libraries.
void releaseFreeMemory();
