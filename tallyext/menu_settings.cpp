#include "menu_settings.h"

#include <initializer_list>

namespace tallyext {

void MenuSettings::Load(SettingStore& store) {
    for (CBaseSetting* s : std::initializer_list<CBaseSetting*>{
             &seekApptSubject, &seekApptLocation, &seekApptNote, &seekTaskSubject, &seekTaskNote, &insertDialMenu,
             &insertTxtMsgMenu, &installPath})
        s->Load(store);
}

SearchSettings MenuSettings::Search() const {
    SearchSettings s;
    s.apptSubject = seekApptSubject.Get() != 0;
    s.apptLocation = seekApptLocation.Get() != 0;
    s.apptNote = seekApptNote.Get() != 0;
    s.taskSubject = seekTaskSubject.Get() != 0;
    s.taskNote = seekTaskNote.Get() != 0;
    s.dialMenu = insertDialMenu.Get() != 0;
    s.textMenu = insertTxtMsgMenu.Get() != 0;
    return s;
}

}  // namespace tallyext
