// The agenda as lines of text, one per row the Calendar tab shows: what the agenda
// tool prints and what its tests compare.
#pragma once
#include <string>
#include <vector>

#include "agenda_model.h"

namespace daybrim {

// First the range line, then per row: "== title (counts)" for a section, the
// time text and the lines of an appointment, "[ ]" or "[x]" and the subject of a
// task, "*" for a special event, "@" for a mail account, with the marks in
// brackets (all day, done, conflict, passed, private, high).
std::vector<std::wstring> AgendaLines(const AgendaModel& model);

}  // namespace daybrim
