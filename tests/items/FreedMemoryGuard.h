#pragma once
// Only in test programs that link PoisonedHeap.cpp: what the thread frees while a guard lives
// becomes unreadable. Each block that the thread allocates under the guard gets pages of its
// own, and freeing the block takes every access to them away, so code that reads an object
// after freeing it crashes at that read. A poisoned block, by contrast, still reads as some
// value, and a flag read from it may lead down the very path that a live object takes.
class TFreedMemoryGuard {
 public:
  TFreedMemoryGuard();
  ~TFreedMemoryGuard();
  TFreedMemoryGuard(const TFreedMemoryGuard&) = delete;
  TFreedMemoryGuard& operator=(const TFreedMemoryGuard&) = delete;
  // Blocks allocated under a guard so far in the run.
  static int Guarded();
};
