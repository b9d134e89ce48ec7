// Parses arbitrary bytes as a rename journal, as `kqtools-cli recover` does
// with whatever it finds left over. A journal that parses must write back to
// text that parses to the same moves; any crash, sanitizer report or
// mismatch is a finding, and so is an accepted name that leaves its folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "renamer/safety/RenameJournal.h"

namespace {

bool SameMoves(const std::vector<kq::CJournalFolder>& a, const std::vector<kq::CJournalFolder>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t f = 0; f < a.size(); ++f) {
        if (a[f].m_strFolder != b[f].m_strFolder || a[f].m_aMoves.size() != b[f].m_aMoves.size()) return false;
        for (size_t m = 0; m < a[f].m_aMoves.size(); ++m) {
            const kq::CJournalMove& x = a[f].m_aMoves[m];
            const kq::CJournalMove& y = b[f].m_aMoves[m];
            if (x.m_nNode != y.m_nNode || x.m_strOld != y.m_strOld || x.m_strTemp != y.m_strTemp ||
                x.m_strNew != y.m_strNew)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<kq::CJournalFolder> folders;
    if (!kq::ParseJournal(text, folders)) return 0;
    // recover moves files only inside the journal's folders: an accepted
    // name is one path component.
    for (const auto& folder : folders) {
        for (const auto& move : folder.m_aMoves) {
            for (const std::u16string* name : {&move.m_strOld, &move.m_strTemp, &move.m_strNew}) {
                if (name == &move.m_strTemp && name->empty()) continue;
                if (name->empty() || *name == u"." || *name == u".." || name->find(u'/') != std::u16string::npos ||
                    name->find(u'\0') != std::u16string::npos)
                    std::abort();
            }
        }
    }
    std::vector<kq::CJournalFolder> again;
    if (!kq::ParseJournal(kq::FormatJournal(folders), again) || !SameMoves(folders, again)) std::abort();
    return 0;
}
