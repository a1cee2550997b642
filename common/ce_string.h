// CeString: the wide string of the contact finder and its menu extension.
//
// One allocation of (length + 5) UTF-16 units holds a 32-bit reference count, a
// 32-bit length and the characters with their terminator; the object itself is one
// pointer to the characters. Copies share the buffer; whoever changes a shared
// buffer copies it first. Every empty string points at one static empty buffer that
// is never counted or freed, so default construction never allocates.
//
// The count is atomic: strings may be copied on one thread and dropped on another
// (the menu extension is called on its host's threads).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

// A UTF-16 unit: wchar_t where it is 16 bits (Windows), char16_t elsewhere, so the
// Win32 code passes c_str() straight to the API and the native build still has UTF-16.
using CeChar = std::conditional<sizeof(wchar_t) == 2, wchar_t, char16_t>::type;
using CeStd = std::basic_string<CeChar>;

class CeString {
public:
    static constexpr size_t npos = size_t(-1);

    CeString() noexcept;
    CeString(const CeChar* s);  // NOLINT: converting, as a string literal should
    CeString(const CeChar* s, size_t n);
    explicit CeString(const CeStd& s) : CeString(s.data(), s.size()) {}
    CeString(const CeString& o) noexcept;
    CeString(CeString&& o) noexcept;
    CeString& operator=(const CeString& o) noexcept;
    CeString& operator=(CeString&& o) noexcept;
    ~CeString();

    const CeChar* c_str() const { return p_; }
    size_t length() const;
    bool empty() const { return length() == 0; }
    CeChar operator[](size_t i) const { return p_[i]; }
    CeStd str() const { return CeStd(p_, length()); }

    // Modifiers: each unshares the buffer first.
    CeString& Append(const CeChar* s, size_t n);
    CeString& operator+=(const CeString& o) { return Append(o.p_, o.length()); }
    CeString& operator+=(CeChar c) { return Append(&c, 1); }
    void SetAt(size_t i, CeChar c);  // i < length()
    void Truncate(size_t n);         // keeps the first n characters
    void Clear();

    size_t Find(const CeString& what, size_t from = 0) const;
    CeString Mid(size_t from, size_t n = npos) const;

    friend bool operator==(const CeString& a, const CeString& b);
    friend bool operator!=(const CeString& a, const CeString& b) { return !(a == b); }
    friend CeString operator+(CeString a, const CeString& b) { return a += b; }

    // For tests: whether two strings share one buffer, and its count (0 for the
    // shared empty buffer, which is not counted).
    bool SharesBufferWith(const CeString& o) const { return p_ == o.p_; }
    int32_t RefCount() const;

    struct Head;  // the count and length before the characters

private:
    Head* Header() const;
    static CeChar* Allocate(size_t length);  // count 1, terminated at length
    void Release();
    void MakeUnique(size_t capacityHint);

    CeChar* p_;
};
