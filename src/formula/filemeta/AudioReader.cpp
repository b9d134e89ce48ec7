// Audio tags and durations through TagLib (MP3, FLAC, Ogg, Opus, M4A, WAV,
// AIFF, WMA, APE, …). TagLib reads through CContentStream, so it sees only
// the checked regular file and cannot write to it.
#include "formula/filemeta/MetaReaders.h"

#ifdef KQ_HAVE_TAGLIB

#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>

#include <algorithm>

#include "platform/ContentFile.h"
#include "platform/Text.h"

namespace kq::meta {

namespace {

class CContentStream : public TagLib::IOStream {
public:
    CContentStream(const CContentFile& file, std::string name) : m_file(file), m_reader(file), m_strName(std::move(name)) {}

    TagLib::FileName name() const override { return m_strName.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override
    {
        const uint64_t size = m_file.Size();
        const uint64_t left = m_nPos >= size ? 0 : size - m_nPos;
        // Never more than what is left of the file, whatever a header claims.
        const unsigned long n = static_cast<unsigned long>(std::min<uint64_t>(length, left));
        TagLib::ByteVector block(static_cast<unsigned int>(n), '\0');
        long long got = n ? m_reader.ReadAt(m_nPos, block.data(), n) : 0;
        if (got < 0) got = 0;
        block.resize(static_cast<unsigned int>(got));
        m_nPos += uint64_t(got);
        return block;
    }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return true; }
    void seek(long offset, Position p) override
    {
        const int64_t base = p == Beginning ? 0 : p == Current ? int64_t(m_nPos) : int64_t(m_file.Size());
        const int64_t target = base + offset;
        m_nPos = target < 0 ? 0 : uint64_t(target);
    }
    void clear() override {}
    long tell() const override { return long(m_nPos); }
    long length() override { return long(m_file.Size()); }
    void truncate(long) override {}

private:
    const CContentFile& m_file;
    CBlockReader m_reader;
    std::string m_strName;
    uint64_t m_nPos = 0;
};

std::string Joined(const TagLib::PropertyMap& properties, const char* key)
{
    auto it = properties.find(key);
    if (it == properties.end()) return {};
    std::string text;
    for (const TagLib::String& value : it->second) {
        if (!text.empty()) text += "; ";
        text += value.to8Bit(true);
    }
    return text;
}

// "03/12" is track 3: the number before any "/total", without zeros in front.
std::u16string Number(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    uint64_t value = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 9; ++i, ++digits)
        value = value * 10 + uint64_t(text[i] - '0');
    if (digits == 0) return {};
    return FromUtf8(std::to_string(value));
}

std::u16string Year(const TagLib::PropertyMap& properties, const TagLib::Tag* tag)
{
    if (tag && tag->year() > 0) return FromUtf8(std::to_string(tag->year()));
    const std::string date = Joined(properties, "DATE");
    if (date.size() >= 4 && std::all_of(date.begin(), date.begin() + 4, [](char c) { return c >= '0' && c <= '9'; }))
        return FromUtf8(date.substr(0, 4));
    return {};
}

}  // namespace

void ReadAudio(const CContentFile& file, std::u16string_view name, CFileMetaRecord& record)
{
    record.m_nGroups |= kMetaGroupMedia;
    try {
        CContentStream stream(file, ToUtf8(name));
        TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Fast);
        if (ref.isNull() || !ref.file()->isValid()) return;
        if (const TagLib::AudioProperties* audio = ref.audioProperties())
            record.m_nDuration = std::max(0, audio->lengthInMilliseconds() / 1000);
        const TagLib::PropertyMap properties = ref.file()->properties();
        auto tags = std::make_unique<CMediaTags>();
        auto put = [&](EMediaTag tag, std::u16string value) { (*tags)[size_t(tag)] = std::move(value); };
        put(EMediaTag::Title, MetaText(Joined(properties, "TITLE")));
        put(EMediaTag::Artist, MetaText(Joined(properties, "ARTIST")));
        put(EMediaTag::Album, MetaText(Joined(properties, "ALBUM")));
        put(EMediaTag::AlbumArtist, MetaText(Joined(properties, "ALBUMARTIST")));
        put(EMediaTag::Genre, MetaText(Joined(properties, "GENRE")));
        put(EMediaTag::Year, Year(properties, ref.tag()));
        put(EMediaTag::Track, Number(Joined(properties, "TRACKNUMBER")));
        put(EMediaTag::Disc, Number(Joined(properties, "DISCNUMBER")));
        put(EMediaTag::Comment, MetaText(Joined(properties, "COMMENT")));
        put(EMediaTag::Composer, MetaText(Joined(properties, "COMPOSER")));
        KeepMediaTags(std::move(tags), record);
    } catch (...) {
    }
}

}  // namespace kq::meta

#else

namespace kq::meta {

void ReadAudio(const CContentFile&, std::u16string_view, CFileMetaRecord& record) { record.m_nGroups |= kMetaGroupMedia; }

}  // namespace kq::meta

#endif
