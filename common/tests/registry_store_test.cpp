// The registry store as the device's settings use it.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "raii.h"
#include "registry_store.h"

namespace {

const wchar_t kRoot[] = L"Software\\OlvaneTest\\Settings";

RegistrySettingStore Store() {
    return RegistrySettingStore(HKEY_CURRENT_USER, {kRoot, CeString(kRoot) + L"\\General"});
}

}  // namespace

TEST(RegistryStore, AStringFillingTheWholeBufferComesBackTerminated) {
    SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
    RegistrySettingStore store = Store();
    ASSERT_TRUE(store.WriteNumber(1, L"Created", 1));  // makes the keys
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_WRITE, k.out()));
    // 259 characters and no terminator, one short of the 520-byte read buffer. (One
    // that fills the buffer exactly is refused here as too long, and its handling on a
    // registry that returns it is tested with StringFromValueBuffer.)
    const std::wstring full(259, L'x');
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(k.get(), L"Full", 0, REG_SZ, reinterpret_cast<const BYTE*>(full.data()),
                                            DWORD(full.size() * 2)));
    CeString s;
    ASSERT_TRUE(store.ReadString(0, L"Full", &s));
    EXPECT_EQ(259u, s.length());
    EXPECT_EQ(L'\0', s.c_str()[259]);
    // Longer than the buffer: the default, not a cut-off value.
    const std::wstring longer(300, L'y');
    RegSetValueExW(k.get(), L"Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(longer.c_str()), DWORD(602));
    CStringSetting setting(L"Long", 0, L"default");
    setting.Load(store);
    EXPECT_EQ(CeString(L"default"), setting.Get());
    SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
}

TEST(RegistryStore, TheDefaultValueIsDeletedNotWritten) {
    SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
    RegistrySettingStore store = Store();
    CNumericSetting size(L"FontSize", 1, 12);
    size.Set(14);
    ASSERT_TRUE(size.Save(store));
    const std::wstring general = std::wstring(kRoot) + L"\\General";
    DWORD v = 0, cb = sizeof v;
    EXPECT_EQ(ERROR_SUCCESS, SHGetValueW(HKEY_CURRENT_USER, general.c_str(), L"FontSize", nullptr, &v, &cb));
    EXPECT_EQ(14u, v);
    size.Set(12);
    ASSERT_TRUE(size.Save(store));
    cb = sizeof v;
    EXPECT_NE(ERROR_SUCCESS, SHGetValueW(HKEY_CURRENT_USER, general.c_str(), L"FontSize", nullptr, &v, &cb));
    CNumericSetting again(L"FontSize", 1, 12);
    again.Load(store);
    EXPECT_EQ(12u, again.Get());
    SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
}
