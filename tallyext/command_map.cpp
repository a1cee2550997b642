#include "command_map.h"

#include <cstring>

namespace tallyext {

CeStd CommandLine(const Command& c) {
    CeStd out;
    out += '/';
    out += c.kind == CommandKind::kDial ? 'd' : 's';
    out += ':';
    return out + c.number;
}

std::vector<Field> FieldsToSearch(ItemKind kind, const SearchSettings& s) {
    std::vector<Field> fields;
    if (!s.dialMenu && !s.textMenu) return fields;
    if (kind == ItemKind::kAppointment) {
        if (s.apptSubject) fields.push_back(Field::kSubject);
        if (s.apptLocation) fields.push_back(Field::kLocation);
        if (s.apptNote) fields.push_back(Field::kNote);
    } else if (kind == ItemKind::kTask) {
        if (s.taskSubject) fields.push_back(Field::kSubject);
        if (s.taskNote) fields.push_back(Field::kNote);
    }
    return fields;
}

MenuPlan PlanMenus(const std::vector<CeStd>& numbers, bool dialMenu, bool textMenu, uint32_t first, uint32_t last) {
    MenuPlan plan;
    // 64-bit sums: a host may hand out ids up to the top of the range.
    const uint64_t n = numbers.size();
    uint64_t highest = 0;
    bool any = false;
    auto add = [&](std::vector<MenuPlan::Item>* items, CommandKind kind, uint64_t base) {
        for (size_t i = 0; i < numbers.size(); ++i) {
            const uint64_t id = base + i;
            if (id > last) break;
            items->push_back({uint32_t(id), numbers[i]});
            plan.commands[uint32_t(id)] = Command{kind, numbers[i]};
            highest = any && highest > id ? highest : id;
            any = true;
        }
    };
    if (first <= last) {
        if (dialMenu) add(&plan.dial, CommandKind::kDial, first);
        if (textMenu) add(&plan.text, CommandKind::kTextMessage, first + n);
    }
    plan.idsUsed = any ? uint32_t(highest - first + 1) : 0;
    return plan;
}

const Command* FindByCommandLine(const std::map<uint32_t, Command>& commands, const CeChar* verb) {
    if (!verb) return nullptr;
    for (const auto& entry : commands) {
        const CeStd line = CommandLine(entry.second);
        size_t i = 0;
        while (i < line.size() && verb[i] == line[i]) ++i;
        if (i == line.size() && verb[i] == 0) return &entry.second;
    }
    return nullptr;
}

CopyResult CopyCommandLine(const CeStd& line, bool wide, void* buffer, size_t capacity) {
    if (!buffer || capacity == 0) return CopyResult::kNoBuffer;
    if (line.size() + 1 > capacity) {
        if (wide)
            static_cast<CeChar*>(buffer)[0] = 0;
        else
            static_cast<char*>(buffer)[0] = 0;
        return CopyResult::kTooSmall;
    }
    if (wide) {
        std::memcpy(buffer, line.c_str(), (line.size() + 1) * sizeof(CeChar));
    } else {
        char* out = static_cast<char*>(buffer);
        // Command lines are ASCII by construction; anything else would not survive a
        // narrow host anyway.
        for (size_t i = 0; i < line.size(); ++i) out[i] = line[i] < 0x80 ? char(line[i]) : '?';
        out[line.size()] = 0;
    }
    return CopyResult::kOk;
}

}  // namespace tallyext
