// PDF document information through poppler-cpp.
#include "formula/filemeta/MetaReaders.h"

#ifdef KQ_HAVE_POPPLER

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "platform/ContentFile.h"
#include "platform/Text.h"

namespace kq::meta {

namespace {

std::mutex g_popplerMutex;

void Quiet(const std::string&, void*) {}

// Only files that say they are PDF documents go to the parser: its repair
// of a damaged file reads the whole file, which random bytes must not cost.
bool LooksLikePdf(const CContentFile& file)
{
    char head[1024];
    const long long got = file.ReadAt(0, head, sizeof head);
    if (got < 5) return false;
    for (long long i = 0; i + 5 <= got; ++i)
        if (std::memcmp(head + i, "%PDF-", 5) == 0) return true;
    return false;
}

std::u16string Info(const poppler::document& doc, const char* key)
{
    const poppler::byte_array utf8 = doc.info_key(key).to_utf8();
    return MetaText(std::string_view(utf8.data(), utf8.size()));
}

}  // namespace

void ReadDocument(const CContentFile& file, CFileMetaRecord& record)
{
    record.m_nGroups |= kMetaGroupDocument;
    const std::string name = file.OpenedName();
    if (name.empty() || !LooksLikePdf(file)) return;
    try {
        // The parser's global state is shared; documents are read one at a time.
        std::lock_guard lock(g_popplerMutex);
        poppler::set_debug_error_function(Quiet, nullptr);
        std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(name));
        if (!doc || doc->is_locked()) return;
        auto tags = std::make_unique<CDocTags>();
        (*tags)[size_t(EDocTag::Title)] = Info(*doc, "Title");
        (*tags)[size_t(EDocTag::Author)] = Info(*doc, "Author");
        (*tags)[size_t(EDocTag::Subject)] = Info(*doc, "Subject");
        (*tags)[size_t(EDocTag::Keywords)] = Info(*doc, "Keywords");
        (*tags)[size_t(EDocTag::Creator)] = Info(*doc, "Creator");
        (*tags)[size_t(EDocTag::Producer)] = Info(*doc, "Producer");
        const int pages = doc->pages();
        if (pages > 0) (*tags)[size_t(EDocTag::Pages)] = FromUtf8(std::to_string(pages));
        record.m_pDocTags = std::move(tags);
    } catch (...) {
    }
}

}  // namespace kq::meta

#else

namespace kq::meta {

void ReadDocument(const CContentFile&, CFileMetaRecord& record) { record.m_nGroups |= kMetaGroupDocument; }

}  // namespace kq::meta

#endif
