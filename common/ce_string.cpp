#include "ce_string.h"

#include <atomic>
#include <cstring>
#include <new>
#include <stdexcept>

struct CeString::Head {
    std::atomic<int32_t> refs;
    int32_t length;
};
static_assert(sizeof(CeString::Head) == 8, "count and length are two 32-bit fields");
static_assert(sizeof(CeChar) == 2, "CeString holds UTF-16 units");

namespace {

struct EmptyBuffer {
    CeString::Head head;
    CeChar text[2];
};
// Never counted: constant initialisation makes it usable before any constructor runs.
EmptyBuffer g_empty = {{0, 0}, {0, 0}};

size_t Len(const CeChar* s) {
    size_t n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}

}  // namespace

CeString::Head* CeString::Header() const {
    return reinterpret_cast<Head*>(reinterpret_cast<char*>(p_) - sizeof(Head));
}

CeChar* CeString::Allocate(size_t length) {
    if (length == 0) return g_empty.text;
    if (length > size_t(INT32_MAX) / sizeof(CeChar) - 8) throw std::length_error("CeString too long");
    char* raw = static_cast<char*>(::operator new((length + 5) * sizeof(CeChar)));
    Head* h = new (raw) Head;
    h->refs.store(1, std::memory_order_relaxed);
    h->length = int32_t(length);
    CeChar* p = reinterpret_cast<CeChar*>(raw + sizeof(Head));
    p[length] = 0;
    return p;
}

size_t CeString::length() const { return size_t(Header()->length); }

CeString::CeString() noexcept : p_(g_empty.text) {}

CeString::CeString(const CeChar* s) : CeString(s, Len(s)) {}

CeString::CeString(const CeChar* s, size_t n) : p_(Allocate(n)) {
    if (n) std::memcpy(p_, s, n * sizeof(CeChar));
}

CeString::CeString(const CeString& o) noexcept : p_(o.p_) {
    if (p_ != g_empty.text) Header()->refs.fetch_add(1, std::memory_order_relaxed);
}

CeString::CeString(CeString&& o) noexcept : p_(o.p_) { o.p_ = g_empty.text; }

CeString& CeString::operator=(const CeString& o) noexcept {
    if (p_ != o.p_) {
        CeString copy(o);
        std::swap(p_, copy.p_);
    }
    return *this;
}

CeString& CeString::operator=(CeString&& o) noexcept {
    if (this != &o) {
        Release();
        p_ = o.p_;
        o.p_ = g_empty.text;
    }
    return *this;
}

CeString::~CeString() { Release(); }

void CeString::Release() {
    if (p_ == g_empty.text) return;
    Head* h = Header();
    // acq_rel: the thread that frees must see every other owner's writes finished.
    if (h->refs.fetch_sub(1, std::memory_order_acq_rel) - 1 < 1) {
        h->~Head();
        ::operator delete(static_cast<void*>(h));
    }
    p_ = g_empty.text;
}

int32_t CeString::RefCount() const {
    return p_ == g_empty.text ? 0 : Header()->refs.load(std::memory_order_acquire);
}

void CeString::MakeUnique(size_t) {
    if (p_ == g_empty.text || Header()->refs.load(std::memory_order_acquire) == 1) return;
    CeString copy(p_, length());
    std::swap(p_, copy.p_);
}

CeString& CeString::Append(const CeChar* s, size_t n) {
    if (n == 0) return *this;
    const size_t old = length();
    // The layout has no spare capacity: a longer string is always a new buffer. The
    // source may live in this very buffer, so it is copied before the old one goes.
    CeChar* p = Allocate(old + n);
    std::memcpy(p, p_, old * sizeof(CeChar));
    std::memcpy(p + old, s, n * sizeof(CeChar));
    Release();
    p_ = p;
    return *this;
}

void CeString::SetAt(size_t i, CeChar c) {
    if (i >= length()) return;
    MakeUnique(0);
    p_[i] = c;
}

void CeString::Truncate(size_t n) {
    if (n >= length()) return;
    CeString shorter(p_, n);
    std::swap(p_, shorter.p_);
}

void CeString::Clear() { Release(); }

size_t CeString::Find(const CeString& what, size_t from) const {
    const size_t n = length(), m = what.length();
    if (from > n || m > n - from) return npos;
    for (size_t i = from; i + m <= n; ++i)
        if (std::memcmp(p_ + i, what.p_, m * sizeof(CeChar)) == 0) return i;
    return npos;
}

CeString CeString::Mid(size_t from, size_t n) const {
    const size_t len = length();
    if (from >= len) return CeString();
    if (n > len - from) n = len - from;
    if (from == 0 && n == len) return *this;
    return CeString(p_ + from, n);
}

bool operator==(const CeString& a, const CeString& b) {
    return a.p_ == b.p_ ||
           (a.length() == b.length() && std::memcmp(a.p_, b.p_, a.length() * sizeof(CeChar)) == 0);
}
