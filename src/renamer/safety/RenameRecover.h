// Recovery of a rename cut short: from its journal, every file goes back
// under its old name (or on to its new one), through the rename's own
// planner and executor.
#pragma once

#include <string>
#include <vector>

namespace kq {

enum ERecoverOutcome {
    kRecoverMoved = 0,     // now under the wanted name
    kRecoverInPlace = 1,   // was already under it
    kRecoverNotFound = 2,  // under none of its names
    kRecoverBlocked = 3,   // the wanted name is held by another file, or the move failed
};

struct CRecoverLine {
    std::u16string m_strFolder;
    std::u16string m_strFrom;  // name the file was found under (empty when not found)
    std::u16string m_strTo;    // the wanted name
    ERecoverOutcome m_eOutcome = kRecoverNotFound;
};

enum ERecoverResult {
    kRecoverDone = 0,        // every file is under its wanted name; the journal is gone
    kRecoverPartly = 1,      // some are not (see the lines); the journal stays
    kRecoverDamaged = 2,     // its bytes are no journal: nothing is touched
    kRecoverBusy = 3,        // its run, another recover or a rename of its folders holds it
    kRecoverUnrecorded = 4,  // the parking names could not be recorded (a full disk): nothing moved
    kRecoverUnreadable = 5,  // it could not be read now (an I/O error): nothing is touched
};

// Puts every file of the journal under its old name (finish: its new name),
// never replacing a file, through the same planner and executor as a rename:
// each file found goes from where it is to where it belongs. The journal is
// removed when every file ends where it should; otherwise it is kept
// (rewritten when parking names were added, before anything moves). Only
// kRecoverDamaged calls for setting the journal aside; every other result
// leaves it in force. journalFolder holds the folder locks (empty: the
// journal's own folder).
ERecoverResult RecoverJournal(const std::u16string& path, bool finish, std::vector<CRecoverLine>& report);

}  // namespace kq
