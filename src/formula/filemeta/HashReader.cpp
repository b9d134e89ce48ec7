// Content hashes: md5, sha1, sha256 and sha512 through libcrypto, crc32
// through zlib, xxh64 through xxHash, all from one pass in large blocks.
#include "formula/filemeta/MetaReaders.h"

#if defined(KQ_HAVE_CRYPTO) && defined(KQ_HAVE_ZLIB) && defined(KQ_HAVE_XXHASH)

#include <openssl/evp.h>
#include <xxhash.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "platform/ContentFile.h"

namespace kq::meta {

namespace {

constexpr size_t kBlock = size_t(1) << 20;

std::string Hex(const unsigned char* bytes, size_t size)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text.push_back(kDigits[bytes[i] >> 4]);
        text.push_back(kDigits[bytes[i] & 15]);
    }
    return text;
}

const EVP_MD* Digest(EHashAlgorithm algorithm)
{
    switch (algorithm) {
    case EHashAlgorithm::Md5: return EVP_md5();
    case EHashAlgorithm::Sha1: return EVP_sha1();
    case EHashAlgorithm::Sha256: return EVP_sha256();
    case EHashAlgorithm::Sha512: return EVP_sha512();
    default: return nullptr;
    }
}

struct CDigestDeleter {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
struct CXxhDeleter {
    void operator()(XXH64_state_t* state) const { XXH64_freeState(state); }
};

}  // namespace

void ReadHashes(const CContentFile& file, uint8_t algorithms, CFileMetaRecord& record)
{
    if (!record.m_pHashes) record.m_pHashes = std::make_unique<CHashTexts>();
    CHashTexts& out = *record.m_pHashes;
    record.m_nHashes |= algorithms;
    auto wanted = [&](EHashAlgorithm a) { return (algorithms >> unsigned(a)) & 1u; };

    std::unique_ptr<EVP_MD_CTX, CDigestDeleter> digests[kHashAlgorithmCount];
    for (int a = 0; a < kHashAlgorithmCount; ++a) {
        const EVP_MD* md = Digest(EHashAlgorithm(a));
        if (!md || !wanted(EHashAlgorithm(a))) continue;
        digests[a].reset(EVP_MD_CTX_new());
        if (!digests[a] || EVP_DigestInit_ex(digests[a].get(), md, nullptr) != 1) return;
    }
    uLong crc = crc32_z(0L, Z_NULL, 0);
    std::unique_ptr<XXH64_state_t, CXxhDeleter> xxh(XXH64_createState());
    if (!xxh || XXH64_reset(xxh.get(), 0) == XXH_ERROR) return;

    std::vector<unsigned char> buffer(kBlock);
    uint64_t pos = 0;
    for (;;) {
        const long long got = file.ReadAt(pos, buffer.data(), buffer.size());
        if (got < 0) return;  // a read error: no hash rather than a wrong one
        if (got == 0) break;
        pos += uint64_t(got);
        for (auto& ctx : digests)
            if (ctx && EVP_DigestUpdate(ctx.get(), buffer.data(), size_t(got)) != 1) return;
        if (wanted(EHashAlgorithm::Crc32)) crc = crc32_z(crc, buffer.data(), size_t(got));
        if (wanted(EHashAlgorithm::Xxh64)) XXH64_update(xxh.get(), buffer.data(), size_t(got));
    }
    for (int a = 0; a < kHashAlgorithmCount; ++a) {
        if (!digests[a]) continue;
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(digests[a].get(), md, &size) == 1) out[size_t(a)] = Hex(md, size);
    }
    if (wanted(EHashAlgorithm::Crc32)) {
        const unsigned char bytes[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
        out[size_t(EHashAlgorithm::Crc32)] = Hex(bytes, 4);
    }
    if (wanted(EHashAlgorithm::Xxh64)) {
        XXH64_canonical_t canonical;
        XXH64_canonicalFromHash(&canonical, XXH64_digest(xxh.get()));
        out[size_t(EHashAlgorithm::Xxh64)] = Hex(canonical.digest, sizeof canonical.digest);
    }
}

}  // namespace kq::meta

#else

namespace kq::meta {

void ReadHashes(const CContentFile&, uint8_t algorithms, CFileMetaRecord& record) { record.m_nHashes |= algorithms; }

}  // namespace kq::meta

#endif
