#include <gtest/gtest.h>

#include <cstring>

#include "setting.h"

namespace {

CeString S(const char* s) {
    CeStd w;
    for (; *s; ++s) w.push_back(CeChar(*s));
    return CeString(w);
}

// A store whose writes can be made to fail, to see that failure keeps the value dirty.
class FailingStore : public MemorySettingStore {
public:
    bool fail = false;
    bool WriteNumber(int key, const CeString& name, uint32_t v) override {
        return !fail && MemorySettingStore::WriteNumber(key, name, v);
    }
};

}  // namespace

TEST(Settings, MissingValuesGiveDefaultsAndStoredOnesWin) {
    MemorySettingStore store;
    store.WriteNumber(1, S("KeyboardMode"), 3);
    store.WriteNumber(1, S("Wrong type"), 3);
    CNumericSetting mode(S("KeyboardMode").c_str(), 1, 2), size(S("FontSize").c_str(), 2, 12);
    CStringSetting typed(S("Wrong type").c_str(), 1, S("fallback").c_str());
    mode.Load(store);
    size.Load(store);
    typed.Load(store);
    EXPECT_EQ(3u, mode.Get());
    EXPECT_EQ(12u, size.Get());
    EXPECT_EQ(S("fallback"), typed.Get());  // a number where a string belongs
    EXPECT_FALSE(mode.dirty());
}

TEST(Settings, SavingTheDefaultDeletesTheValue) {
    MemorySettingStore store;
    CNumericSetting size(S("FontSize").c_str(), 2, 12);
    CStringSetting skin(S("SkinPath").c_str(), 1, S("").c_str());
    size.Set(14);
    skin.Set(S("\\Skins\\Blue\\"));
    EXPECT_TRUE(size.Save(store));
    EXPECT_TRUE(skin.Save(store));
    EXPECT_TRUE(store.Has(2, S("FontSize")));
    EXPECT_TRUE(store.Has(1, S("SkinPath")));
    size.Set(12);
    skin.Set(S(""));
    EXPECT_TRUE(size.Save(store));
    EXPECT_TRUE(skin.Save(store));
    EXPECT_FALSE(store.Has(2, S("FontSize")));
    EXPECT_FALSE(store.Has(1, S("SkinPath")));
}

TEST(Settings, OnlyDirtyValuesAreWrittenAndAFailedWriteStaysDirty) {
    FailingStore store;
    CNumericSetting mode(S("KeyboardMode").c_str(), 1, 2);
    EXPECT_TRUE(mode.Save(store));  // untouched: nothing written
    EXPECT_FALSE(store.Has(1, S("KeyboardMode")));
    mode.Set(1);
    store.fail = true;
    EXPECT_FALSE(mode.Save(store));
    EXPECT_TRUE(mode.dirty());
    store.fail = false;
    EXPECT_TRUE(mode.Save(store));
    EXPECT_FALSE(mode.dirty());
    uint32_t v = 0;
    EXPECT_TRUE(store.ReadNumber(1, S("KeyboardMode"), &v));
    EXPECT_EQ(1u, v);
}

TEST(Settings, AStringThatFillsItsBufferIsStillTerminated) {
    // 260 units with no terminator anywhere: all of them, nothing beyond.
    CeChar buf[260];
    for (CeChar& c : buf) c = 'a';
    CeString s = StringFromValueBuffer(buf, sizeof buf);
    EXPECT_EQ(260u, s.length());
    EXPECT_EQ(CeChar(0), s.c_str()[260]);
    buf[3] = 0;
    EXPECT_EQ(3u, StringFromValueBuffer(buf, sizeof buf).length());
    EXPECT_EQ(2u, StringFromValueBuffer(buf, 5).length());  // an odd byte is no character
    EXPECT_TRUE(StringFromValueBuffer(buf, 0).empty());
}
