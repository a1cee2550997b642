// What a loaded library exports, read from its export directory: tests check that
// a library exports exactly what its host looks up, and nothing twice.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace pe {

struct Exports {
    std::vector<WORD> ordinals;      // every exported ordinal, ascending
    std::vector<std::string> names;  // the named ones
};

inline bool ReadExports(HMODULE module, Exports* out) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (!module || dos->e_magic != IMAGE_DOS_SIGNATURE) return false;
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    out->ordinals.clear();
    out->names.clear();
    if (!dir.VirtualAddress) return true;
    auto exp = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    auto functions = reinterpret_cast<const DWORD*>(base + exp->AddressOfFunctions);
    for (DWORD i = 0; i < exp->NumberOfFunctions; ++i)
        if (functions[i]) out->ordinals.push_back(WORD(exp->Base + i));
    auto names = reinterpret_cast<const DWORD*>(base + exp->AddressOfNames);
    for (DWORD i = 0; i < exp->NumberOfNames; ++i) out->names.push_back(reinterpret_cast<const char*>(base + names[i]));
    return true;
}

}  // namespace pe
