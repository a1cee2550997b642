// The edge between the extension and its host. A host knows only HRESULTs: a C++
// exception (a failed allocation, a string grown past its limit) that unwound into
// it would take Pocket Outlook down with it.
#pragma once
#include <windows.h>

#include <new>

namespace tallyext {

// Runs the body of a method a host calls: its HRESULT, or E_OUTOFMEMORY for
// std::bad_alloc and E_FAIL for any other exception.
template <class Body>
HRESULT ComCall(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace tallyext
