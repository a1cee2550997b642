#include "script.h"

#include <gtest/gtest.h>

using namespace today;

TEST(Script, EveryStepKind) {
    std::vector<Step> steps;
    ScriptError err;
    ASSERT_TRUE(ParseScript("# a test\r\n\nwait 250\npoll\nkey down\nkey 13  # enter\ntap 10 20\nhold 5 6\n"
                            "broadcast OlvaneDaybrimSettingsChanged\nhibernate\nsettingchange\n"
                            "snap Z:\\tmp\\with space.png  \nmenu Settings...\nmenu id 40156\nmenu More/Copy it \nquit\n",
                            &steps, &err))
        << err.line << ": " << err.message;
    ASSERT_EQ(14u, steps.size());
    EXPECT_EQ(StepKind::kWait, steps[0].kind);
    EXPECT_EQ(250, steps[0].a);
    EXPECT_EQ(3, steps[0].line);
    EXPECT_EQ(0x28, steps[2].a);
    EXPECT_EQ(13, steps[3].a);
    EXPECT_EQ(StepKind::kTap, steps[4].kind);
    EXPECT_EQ(20, steps[4].b);
    EXPECT_EQ(StepKind::kHold, steps[5].kind);
    EXPECT_EQ("OlvaneDaybrimSettingsChanged", steps[6].text);
    EXPECT_EQ("Z:\\tmp\\with space.png", steps[9].text);
    EXPECT_EQ(StepKind::kMenu, steps[10].kind);
    EXPECT_EQ("Settings...", steps[10].text);
    EXPECT_EQ(40156, steps[11].a);
    EXPECT_EQ("More/Copy it", steps[12].text);
    EXPECT_EQ(StepKind::kQuit, steps[13].kind);
}

TEST(Script, WindowsTakesNothing) {
    std::vector<Step> steps;
    ScriptError err;
    ASSERT_TRUE(ParseScript("windows\n", &steps, &err)) << err.message;
    ASSERT_EQ(1u, steps.size());
    EXPECT_EQ(StepKind::kWindows, steps[0].kind);
}

TEST(Script, DragTakesBothPoints) {
    std::vector<Step> steps;
    ScriptError err;
    ASSERT_TRUE(ParseScript("drag 10 20 30 240\n", &steps, &err)) << err.message;
    ASSERT_EQ(1u, steps.size());
    EXPECT_EQ(StepKind::kDrag, steps[0].kind);
    EXPECT_EQ(10, steps[0].a);
    EXPECT_EQ(20, steps[0].b);
    EXPECT_EQ(30, steps[0].c);
    EXPECT_EQ(240, steps[0].d);
}

TEST(Script, BadLinesNameTheLineAndReason) {
    std::vector<Step> steps;
    ScriptError err;
    const char* bad[] = {"wait", "wait -5", "wait 99999999999", "wait 10ms", "key sideways", "key 999",
                         "tap 1", "tap 1 two", "tap 1 2 3", "poll now", "snap", "jump 3", "broadcast",
                         "menu", "menu id", "menu id 0", "windows all", "menu id x", "drag 1 2 3", "drag 1 2 3 x", "drag 1 2 3 4 5"};
    for (const char* line : bad) {
        std::string text = std::string("poll\n") + line + "\n";
        EXPECT_FALSE(ParseScript(text, &steps, &err)) << line;
        EXPECT_EQ(2, err.line) << line;
        EXPECT_FALSE(err.message.empty());
    }
}

TEST(Script, RegistryStepsNameRootKeyValueAndData) {
    struct Case {
        const char* line;
        int root;  // 1: HKLM
        int action;
        const char* path;
        const char* value;
    } cases[] = {
        {"reg HKCU\\Software\\Olvane\\Daybrim\\ActiveTab dword 3", 0, kRegDword, "Software\\Olvane\\Daybrim\\ActiveTab", "3"},
        {"reg HKLM\\Software\\CeSim\\Clock dword 4294967295", 1, kRegDword, "Software\\CeSim\\Clock", "4294967295"},
        // A string keeps its inner spaces and its trailing backslash, not the blanks after it.
        {"reg HKCU\\Software\\Olvane\\Daybrim\\SkinPath sz \\Program Files\\Skins\\dark\\  ", 0, kRegString,
         "Software\\Olvane\\Daybrim\\SkinPath", "\\Program Files\\Skins\\dark\\"},
        // "sz" inside the path is not the type word.
        {"reg HKCU\\sz\\name sz  a sz b", 0, kRegString, "sz\\name", "a sz b"},
        {"reg HKCU\\Key\\Empty sz", 0, kRegString, "Key\\Empty", ""},
        {"reg HKCU\\Software\\Olvane\\Daybrim\\VerticalTabs delete", 0, kRegDelete,
         "Software\\Olvane\\Daybrim\\VerticalTabs", ""},
    };
    for (const Case& c : cases) {
        std::vector<Step> steps;
        ScriptError err;
        ASSERT_TRUE(ParseScript(c.line, &steps, &err)) << c.line << ": " << err.message;
        ASSERT_EQ(1u, steps.size());
        EXPECT_EQ(StepKind::kReg, steps[0].kind) << c.line;
        EXPECT_EQ(c.root, steps[0].a) << c.line;
        EXPECT_EQ(c.action, steps[0].b) << c.line;
        EXPECT_EQ(c.path, steps[0].text) << c.line;
        EXPECT_EQ(c.value, steps[0].value) << c.line;
    }
    const char* bad[] = {"reg", "reg HKCU\\Key\\Name", "reg HKCR\\Key\\Name dword 1", "reg HKCU\\Name dword 1",
                         "reg HKCU\\Key\\ dword 1", "reg HKCU\\Key\\Name dword", "reg HKCU\\Key\\Name dword -1",
                         "reg HKCU\\Key\\Name dword 4294967296", "reg HKCU\\Key\\Name dword 12345678901",
                         "reg HKCU\\Key\\Name dword 0x10", "reg HKCU\\Key\\Name delete now",
                         "reg HKCU\\Key\\Name binary 00"};
    for (const char* line : bad) {
        std::vector<Step> steps;
        ScriptError err;
        EXPECT_FALSE(ParseScript(line, &steps, &err)) << line;
        EXPECT_EQ(1, err.line) << line;
    }
}
