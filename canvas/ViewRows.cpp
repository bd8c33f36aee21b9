#include "canvas/ViewRows.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ViewRows {

// Through the C library's memcpy (the widest stores the machine has): kept opaque to the
// optimiser so a constant size does not become a slow inlined string move.
[[gnu::noipa]] void copy(QRgb* d, const QRgb* s, int n)
{
    std::memcpy(d, s, std::size_t(n) * sizeof(QRgb));
}

void compose(QRgb* d, const QRgb* s, const QRgb* overlay, int n, QRgb key)
{
    // Four pixels at a time where SSE2 is.
    int x = 0;
#ifdef __SSE2__
    const __m128i k = _mm_set1_epi32(int(key));
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    for (; x + 4 <= n; x += 4) {
        const __m128i gv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(overlay + x));
        const __m128i sv = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x)), opaque);
        const __m128i isKey = _mm_cmpeq_epi32(gv, k);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x),
                         _mm_or_si128(_mm_and_si128(isKey, sv), _mm_andnot_si128(isKey, gv)));
    }
#endif
    for (; x < n; ++x)
        d[x] = overlay[x] != key ? overlay[x] : (s[x] | 0xFF000000u);
}

} // namespace ViewRows
