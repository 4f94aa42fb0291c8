#include "publish/ContentHash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace wobbin {

struct TContentHash::State {
    XXH3_state_t state;
};

TContentHash::TContentHash() : d(std::make_unique<State>())
{
    Reset();
}

TContentHash::~TContentHash() = default;

void TContentHash::Reset()
{
    XXH3_128bits_reset(&d->state);
    m_length = 0;
}

void TContentHash::Add(const char *data, qint64 length)
{
    if (length <= 0)
        return;
    XXH3_128bits_update(&d->state, data, size_t(length));
    m_length += length;
}

QByteArray TContentHash::HexResult()
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(&d->state));
    Reset();
    return QByteArray(reinterpret_cast<const char *>(canonical.digest), int(sizeof(canonical.digest))).toHex();
}

QByteArray TContentHash::Hex(const QByteArray &bytes)
{
    TContentHash h;
    h.Add(bytes);
    return h.HexResult();
}

} // namespace wobbin
