// In this test executable freed memory is poisoned: operator delete fills a block with a
// pattern and holds it back instead of giving it to the heap at once. Code that uses an item
// after freeing it then fails the same way on every run: the pointers and the vtable it reads
// are the pattern (a crash, not stale values that happen to work), and what it writes spoils
// the pattern, which the check after every test reports as a failure of that test. Under a
// TFreedMemoryGuard a thread's blocks are not poisoned but made unreadable when freed.
#include "FreedMemoryGuard.h"
#include "common/AllocationWatch.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// The pattern varies within 16 bytes, so that neighbouring pointers differ (a freed vector's
// begin and end do not read as an empty range), and each pointer read from it is an address
// that no process has (non-canonical on x86_64, in the upper half on i686). Every byte has bits
// 0 and 3 set, so that a bool or a flag read from a freed object reads as set and the code goes
// on to the object's pointers.
unsigned char PoisonAt(size_t offset) {
  const unsigned high = 0xC + ((offset >> 2) & 3);
  const unsigned low = 0x9 | ((offset & 3) << 1);
  return static_cast<unsigned char>(high << 4 | low);
}

// Blocks held back at most; the oldest is checked and given back when either limit is reached.
constexpr size_t kHeldBlocks = 8192;
constexpr size_t kHeldBytes = 16u << 20;

struct THeldBlock {
  unsigned char* Memory;
  size_t Size;
};

// Plain data only: operator delete runs until the very end of the process.
SRWLOCK HeldLock = SRWLOCK_INIT;
THeldBlock Held[kHeldBlocks];
size_t HeldFirst = 0;
size_t HeldCount = 0;
size_t HeldTotal = 0;
const void* WrittenAfterFree = nullptr;  // the first spoilt block found

bool StillPoisoned(const THeldBlock& block) {
  for (size_t i = 0; i < block.Size; ++i)
    if (block.Memory[i] != PoisonAt(i)) return false;
  return true;
}

// With HeldLock held.
void GiveBackOldest() {
  THeldBlock& block = Held[HeldFirst];
  if (!WrittenAfterFree && !StillPoisoned(block)) WrittenAfterFree = block.Memory;
  free(block.Memory);
  HeldTotal -= block.Size;
  HeldFirst = (HeldFirst + 1) % kHeldBlocks;
  --HeldCount;
}

// Checks every held block, gives them all back and answers the first spoilt one, if any.
const void* CheckAndGiveBackAll() {
  AcquireSRWLockExclusive(&HeldLock);
  while (HeldCount > 0) GiveBackOldest();
  const void* spoilt = WrittenAfterFree;
  WrittenAfterFree = nullptr;
  ReleaseSRWLockExclusive(&HeldLock);
  return spoilt;
}

class TFreedMemoryCheck : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override {
    if (const void* spoilt = CheckAndGiveBackAll())
      ADD_FAILURE() << "memory at " << spoilt << " was written to after it was freed";
  }
};

struct TRegisterCheck {
  TRegisterCheck() { testing::UnitTest::GetInstance()->listeners().Append(new TFreedMemoryCheck); }
} RegisterCheck;

// The blocks made under a guard. Their pages stay reserved to the end of the run, so that no
// later block takes the address of a freed one.
constexpr int kMaxGuarded = 1024;
struct TGuardedBlock {
  void* Memory;
  size_t Size;
};
SRWLOCK GuardLock = SRWLOCK_INIT;
TGuardedBlock GuardedBlocks[kMaxGuarded];
std::atomic<int> GuardedCount{0};
std::atomic<DWORD> GuardedThread{0};

void* AllocateGuarded(size_t size) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t bytes = (size + info.dwPageSize - 1) / info.dwPageSize * info.dwPageSize;
  AcquireSRWLockExclusive(&GuardLock);
  void* memory = GuardedCount < kMaxGuarded
                     ? VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)
                     : nullptr;
  if (memory) {
    GuardedBlocks[GuardedCount.load()] = {memory, bytes};
    ++GuardedCount;
  }
  ReleaseSRWLockExclusive(&GuardLock);
  return memory;
}

// False when the block was not made under a guard.
bool FreeGuarded(void* p) {
  if (GuardedCount.load() == 0) return false;
  AcquireSRWLockExclusive(&GuardLock);
  bool found = false;
  for (int i = 0; i < GuardedCount && !found; ++i) {
    if (GuardedBlocks[i].Memory != p) continue;
    DWORD old = 0;
    VirtualProtect(p, GuardedBlocks[i].Size, PAGE_NOACCESS, &old);
    found = true;
  }
  ReleaseSRWLockExclusive(&GuardLock);
  return found;
}

}  // namespace

std::atomic<testing_support::TAllocationWatch> testing_support::AllocationWatch{nullptr};

TFreedMemoryGuard::TFreedMemoryGuard() { GuardedThread.store(GetCurrentThreadId()); }
TFreedMemoryGuard::~TFreedMemoryGuard() { GuardedThread.store(0); }

int TFreedMemoryGuard::Guarded() { return GuardedCount.load(); }

void* operator new(size_t size) {
  if (testing_support::TAllocationWatch watch = testing_support::AllocationWatch) watch(size);
  if (size == 0) size = 1;
  if (GuardedThread.load() == GetCurrentThreadId())
    if (void* p = AllocateGuarded(size)) return p;
  for (;;) {
    if (void* p = malloc(size)) return p;
    std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p) noexcept {
  if (!p || FreeGuarded(p)) return;
  const size_t size = _msize(p);
  auto* bytes = static_cast<unsigned char*>(p);
  for (size_t i = 0; i < size; ++i) bytes[i] = PoisonAt(i);
  if (size > kHeldBytes) {
    free(p);
    return;
  }
  AcquireSRWLockExclusive(&HeldLock);
  while (HeldCount > 0 && (HeldCount == kHeldBlocks || HeldTotal + size > kHeldBytes)) GiveBackOldest();
  Held[(HeldFirst + HeldCount) % kHeldBlocks] = {static_cast<unsigned char*>(p), size};
  ++HeldCount;
  HeldTotal += size;
  ReleaseSRWLockExclusive(&HeldLock);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }
