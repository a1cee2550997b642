// operator new and delete for every device program and library of the handheld
// build. Wine's process heap slows down badly once it holds a few hundred thousand
// small blocks of mixed sizes (a full object store replica, a contact list): a
// single allocation can take a quarter of a millisecond as the heap searches its
// free lists. Small blocks here come from size classes with their own free lists,
// so every allocation and release is a few instructions whatever the heap holds.
// Larger blocks go to malloc.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t kGrain = 16;           // block sizes are multiples of this, and it is the alignment
constexpr size_t kClasses = 64;         // blocks up to 64 * 16 = 1024 bytes come from classes
constexpr size_t kChunk = 256 * 1024;   // carved into blocks as a class needs them
constexpr size_t kLarge = 0;            // header tag of a block that came from malloc

struct FreeBlock {
    FreeBlock* next;
};

// One header of kGrain bytes before every block keeps the blocks aligned and tells
// delete where the block came from.
struct Header {
    size_t cls;
    void* raw;  // large blocks: what malloc returned
};
static_assert(sizeof(Header) <= kGrain, "the header fits before the block");

volatile LONG g_lock = 0;
FreeBlock* g_free[kClasses + 1];
char* g_cursor = nullptr;
char* g_limit = nullptr;

class SpinLock {
public:
    SpinLock() {
        for (int spins = 0; InterlockedExchange(&g_lock, 1) != 0; ++spins)
            if (spins > 64) Sleep(0);
    }
    ~SpinLock() { InterlockedExchange(&g_lock, 0); }
};

void* Allocate(size_t n) {
    const size_t cls = n == 0 ? 1 : (n + kGrain - 1) / kGrain;
    if (cls > kClasses) {
        // malloc aligns to 8 only: over-allocate and align the block by hand.
        if (n > size_t(-1) - 2 * kGrain) return nullptr;
        void* raw = std::malloc(n + 2 * kGrain);
        if (!raw) return nullptr;
        char* block = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(raw) + kGrain - 1) & ~uintptr_t(kGrain - 1));
        reinterpret_cast<Header*>(block)->cls = kLarge;
        reinterpret_cast<Header*>(block)->raw = raw;
        return block + kGrain;
    }
    SpinLock lock;
    if (FreeBlock* b = g_free[cls]) {
        g_free[cls] = b->next;
        return b;
    }
    const size_t whole = (cls + 1) * kGrain;
    if (g_limit - g_cursor < ptrdiff_t(whole)) {
        // The rest of the old chunk is too small for this class; it stays unused.
        char* chunk = static_cast<char*>(VirtualAlloc(nullptr, kChunk, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!chunk) return nullptr;
        g_cursor = chunk;
        g_limit = chunk + kChunk;
    }
    char* block = g_cursor;
    g_cursor += whole;
    reinterpret_cast<Header*>(block)->cls = cls;
    return block + kGrain;
}

void Release(void* p) {
    if (!p) return;
    char* block = static_cast<char*>(p) - kGrain;
    const size_t cls = reinterpret_cast<Header*>(block)->cls;
    if (cls == kLarge) {
        std::free(reinterpret_cast<Header*>(block)->raw);
        return;
    }
    SpinLock lock;
    auto* f = static_cast<FreeBlock*>(p);
    f->next = g_free[cls];
    g_free[cls] = f;
}

void* AllocateOrThrow(size_t n) {
    for (;;) {
        if (void* p = Allocate(n)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

}  // namespace

void* operator new(size_t n) { return AllocateOrThrow(n); }
void* operator new[](size_t n) { return AllocateOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
