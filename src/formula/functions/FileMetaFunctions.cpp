// Metadata and hash functions of the formula language. Each reads the row's
// file through the shared cache and gives the absent value (0 or the empty
// text) for a file it cannot read or a field the file lacks, never an
// error, so that if(exifdate()>0, …, …) works as a fallback. Only an
// unknown hash algorithm is refused.
#include "formula/functions/FileMetaFunctions.h"

#include "formula/engine/FormulaParser.h"
#include "formula/filemeta/FileMetaCache.h"
#include "formula/functions/FunctionTable.h"
#include "formula/functions/TextFunctionSupport.h"
#include "platform/Text.h"

namespace kq {

using namespace fn;

namespace {

using IntFact = int32_t (CFileMetaCache::*)(std::u16string_view);

template <IntFact fact>
int FnFileInt(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    const std::u16string path = e.GetRowFilePath();
    return SetInt(node, path.empty() ? 0 : (CFileMetaCache::Shared().*fact)(path));
}

int FnExifTag(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    const std::u16string key = ReadText(e, node, 0);
    const std::u16string path = e.GetRowFilePath();
    return SetText(node, path.empty() ? std::u16string() : CFileMetaCache::Shared().ExifTag(path, key));
}

// mediatag and doctag: an unknown key is only absent.
template <class Key, bool (*find)(std::u16string_view, Key&), std::u16string (CFileMetaCache::*tag)(std::u16string_view, Key)>
int FnTag(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    Key key{};
    const bool known = find(ReadText(e, node, 0), key);
    const std::u16string path = e.GetRowFilePath();
    return SetText(node, known && !path.empty() ? (CFileMetaCache::Shared().*tag)(path, key) : std::u16string());
}

int FnFileHash(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    const std::u16string name = ReadText(e, node, 0);
    EHashAlgorithm algorithm{};
    if (!FindHashAlgorithm(name, algorithm))
        return Refuse(e, u"函数filehash的算法“" + name + u"”未知，可用的算法为md5、sha1、sha256、sha512、crc32、xxh64");
    const std::u16string path = e.GetRowFilePath();
    return SetText(node, path.empty() ? std::u16string() : FromUtf8(CFileMetaCache::Shared().FileHash(path, algorithm)));
}

constexpr std::u16string_view kMeta = u"文件信息函数";

constexpr CFunctionInfo kFileMetaFunctions[] = {
    {u"exifdate", 0, FnFileInt<&CFileMetaCache::ExifDate>, kMeta, u"", u"整数",
     u"返回当前文件（照片）的拍摄时间（1970年起的秒数，按本地时间读取）：依次取Exif的DateTimeOriginal、DateTimeDigitized、"
     u"DateTime和XMP的CreateDate，都没有时为0。示例为2023年5月1日14:25:30拍摄的照片。",
     u"timeformat(exifdate(),\"%Y%m%d_%H%M%S\") → \"20230501_142530\""},
    {u"exiftag", 1, FnExifTag, kMeta, u"text key", u"文本",
     u"返回当前文件中Exif、IPTC或XMP键key的值（如Exif.Image.Model、Exif.Photo.FNumber、Iptc.Application2.City、"
     u"Xmp.dc.title），为可读的解释形式并去掉两边空白；没有该键或键名未知时为空。示例为相机型号KQ-100的照片。",
     u"exiftag(\"Exif.Image.Model\") → \"KQ-100\""},
    {u"imagewidth", 0, FnFileInt<&CFileMetaCache::ImageWidth>, kMeta, u"", u"整数",
     u"返回当前图片（或视频画面）按方向旋转后的宽度（像素），不是图片时为0。示例为竖拍的4000×3000照片。",
     u"imagewidth()&\"x\"&imageheight() → \"3000x4000\""},
    {u"imageheight", 0, FnFileInt<&CFileMetaCache::ImageHeight>, kMeta, u"", u"整数",
     u"返回当前图片（或视频画面）按方向旋转后的高度（像素），不是图片时为0。示例为竖拍的4000×3000照片。",
     u"imageheight()>imagewidth() → TRUE"},
    {u"mediatag", 1, FnTag<EMediaTag, FindMediaTag, &CFileMetaCache::MediaTag>, kMeta, u"text key", u"文本",
     u"返回当前音频或视频文件的标签：title、artist、album、albumartist、genre、year、track、disc、comment、composer"
     u"（不分大小写，track和disc只取序号）；没有时为空。示例为艺术家Alice的歌曲Song。",
     u"mediatag(\"artist\")&\" - \"&mediatag(\"title\") → \"Alice - Song\""},
    {u"mediaduration", 0, FnFileInt<&CFileMetaCache::MediaDuration>, kMeta, u"", u"整数",
     u"返回当前音频或视频文件的时长（秒，舍去小数），没有时为0。示例为3秒的音频。", u"mediaduration() → 3"},
    {u"doctag", 1, FnTag<EDocTag, FindDocTag, &CFileMetaCache::DocTag>, kMeta, u"text key", u"文本",
     u"返回当前PDF文档的信息：title、author、subject、keywords、creator、producer、pages（页数）；没有时为空。"
     u"示例为2页的PDF文档。",
     u"doctag(\"pages\") → \"2\""},
    {u"filehash", 1, FnFileHash, kMeta, u"text algorithm", u"文本",
     u"返回当前文件内容的小写十六进制摘要，算法为md5、sha1、sha256、sha512、crc32（8位）或xxh64（16位）；"
     u"文件无法读取时为空，算法未知时出错。示例为内容是abc的文件。",
     u"filehash(\"crc32\") → \"352441c2\""},
};

bool IsLiteralText(const CParsedFormula& parsed, const CTERNOperateVar& call, std::u16string& text)
{
    if (call.m_aParamIndex.size() != 1) return false;
    const int index = call.m_aParamIndex[0];
    if (index < 0 || index >= static_cast<int>(parsed.m_aNodes.size())) return false;
    const CTERNOperateVar& arg = parsed.m_aNodes[static_cast<size_t>(index)];
    if (!arg.m_strOperate.empty() || arg.m_nType != OVT_STRING) return false;
    text = arg.m_strValue;
    return true;
}

}  // namespace

std::span<const CFunctionInfo> FileMetaFunctions() { return kFileMetaFunctions; }

CFileMetaRequest FileMetaRequestOf(const std::u16string& formula)
{
    CFileMetaRequest need;
    std::u16string text = formula;
    if (!text.empty() && text[0] == u'=') text.erase(0, 1);
    if (text.empty()) return need;
    // The parse is the one the engine makes for the first row, so it is not
    // done twice.
    const auto parsed = CachedParseFormula(text, {});
    if (parsed->m_nCode != kAnalyseOk) return need;
    for (const CTERNOperateVar& node : parsed->m_aNodes) {
        if (node.m_strOperate.empty() || node.IsOperate()) continue;
        const std::u16string name = ToAsciiLower(node.m_strOperate);
        std::u16string arg;
        if (name == u"exifdate" || name == u"imagewidth" || name == u"imageheight") {
            need.m_bImage = true;
        } else if (name == u"mediatag" || name == u"mediaduration") {
            need.m_bMedia = true;
        } else if (name == u"doctag") {
            need.m_bDocument = true;
        } else if (name == u"exiftag" && IsLiteralText(*parsed, node, arg)) {
            std::string key = ToUtf8(arg);
            if (IsKnownExifKey(key)) need.AddExifKey(std::move(key));
        } else if (name == u"filehash" && IsLiteralText(*parsed, node, arg)) {
            EHashAlgorithm algorithm{};
            if (FindHashAlgorithm(arg, algorithm)) need.AddHash(algorithm);
        }
    }
    return need;
}

}  // namespace kq
