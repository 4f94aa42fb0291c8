#include "publish/Sha256.h"

#include <openssl/evp.h>

namespace wobbin {

struct TSha256::Context {
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

TSha256::TSha256() : d(std::make_unique<Context>())
{
    Reset();
}

TSha256::~TSha256() = default;

void TSha256::Reset()
{
    EVP_DigestInit_ex(d->ctx, EVP_sha256(), nullptr);
    m_length = 0;
}

void TSha256::Add(const char *data, qint64 length)
{
    if (length <= 0)
        return;
    EVP_DigestUpdate(d->ctx, data, size_t(length));
    m_length += length;
}

QByteArray TSha256::HexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(d->ctx, digest, &size);
    const QByteArray hex = QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
    Reset();
    return hex;
}

QByteArray TSha256::Hex(const QByteArray &bytes)
{
    TSha256 h;
    h.Add(bytes);
    return h.HexResult();
}

} // namespace wobbin
