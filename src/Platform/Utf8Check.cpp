// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Utf8Check.h"

#include <QtGlobal>

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr quint64 highBits = 0x8080808080808080ULL;
constexpr quint64 spaces = 0x2020202020202020ULL;
constexpr quint64 deletes = 0x7f7f7f7f7f7f7f7fULL;
constexpr quint64 ones = 0x0101010101010101ULL;

// Eight bytes, all printable ASCII (none below 0x20, none at 0x7f).
bool isPrintableAsciiWord(const unsigned char *p)
{
    quint64 w;
    memcpy(&w, p, 8);
    const bool ascii = (w & highBits) == 0;
    const bool control = ((w - spaces) & ~w & highBits) != 0;
    const bool del = (((w ^ deletes) - ones) & ~(w ^ deletes) & highBits) != 0;
    return ascii && !control && !del;
}

bool isAllowedAscii(unsigned char c)
{
    return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') && c != 0x7f;
}

// The length of the multi-byte sequence at p when it is plain UTF-8, else 0.
int plainSequenceLength(const unsigned char *p, const unsigned char *end)
{
    const unsigned char c = *p;
    int extra;
    unsigned int cp;
    if ((c & 0xe0) == 0xc0) {
        extra = 1;
        cp = c & 0x1f;
    } else if ((c & 0xf0) == 0xe0) {
        extra = 2;
        cp = c & 0x0f;
    } else if ((c & 0xf8) == 0xf0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (end - p <= extra)
        return 0;
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xc0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3f);
    }
    // Overlong forms, surrogates, out-of-range code points and C1 controls.
    if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000)
        || (cp >= 0xd800 && cp <= 0xdfff) || cp > 0x10ffff || (cp >= 0x80 && cp <= 0x9f)
        || cp == 0xfffe || cp == 0xffff)
        return 0;
    return extra + 1;
}

#ifdef __SSE2__
// The bytes of x that are not allowed (0xff each), for the vector loop below.
template <bool attribute> __m128i disallowedBytes(__m128i x)
{
    const __m128i controlMax = _mm_set1_epi8(0x1f);
    __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(x, controlMax), x);
    if constexpr (!attribute)
        control = _mm_andnot_si128(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\t')),
                                       _mm_cmpeq_epi8(x, _mm_set1_epi8('\n'))),
            control);
    const __m128i markup = attribute ? _mm_cmpeq_epi8(x, _mm_set1_epi8('<'))
                                     : _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('>')),
                                         _mm_cmpeq_epi8(x, _mm_set1_epi8('\r')));
    return _mm_or_si128(control, _mm_or_si128(markup, _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7f))));
}
#endif

// One branch-free pass: `bad` collects disallowed bytes, `high` whether any byte is non-ASCII.
template <bool attribute> bool isAllowed(const char *begin, const char *end)
{
    unsigned bad = 0, high = 0;
    const char *p = begin;
#ifdef __SSE2__
    // Sixteen bytes at a time; the tail goes through the scalar loop below.
    __m128i badMask = _mm_setzero_si128();
    int highMask = 0;
    for (; end - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        highMask |= _mm_movemask_epi8(x);
        badMask = _mm_or_si128(badMask, disallowedBytes<attribute>(x));
    }
    bad = unsigned(_mm_movemask_epi8(badMask));
    high = unsigned(highMask);
#endif
    for (; p < end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        high |= c & 0x80u;
        const unsigned control = c < 0x20u;
        const unsigned allowed = unsigned(!attribute) & unsigned((c == '\t') | (c == '\n'));
        const unsigned markup = attribute ? unsigned(c == '<') : unsigned((c == '>') | (c == '\r'));
        bad |= (control & (allowed ^ 1u)) | unsigned(c == 0x7fu) | markup;
    }
    if (bad)
        return false;
    return !high
        || Utf8Check::isPlainUtf8(reinterpret_cast<const unsigned char *>(begin),
            reinterpret_cast<const unsigned char *>(end));
}

} // namespace

bool Utf8Check::isPlainUtf8(const unsigned char *p, const unsigned char *end)
{
    while (p < end) {
        if (end - p >= 8 && isPrintableAsciiWord(p)) {
            p += 8;
            continue;
        }
        if (*p < 0x80) {
            if (!isAllowedAscii(*p))
                return false;
            ++p;
            continue;
        }
        const int length = plainSequenceLength(p, end);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

bool Utf8Check::isAllowedText(const char *begin, const char *end)
{
    return isAllowed<false>(begin, end);
}

bool Utf8Check::isAllowedAttributeValue(const char *begin, const char *end)
{
    return isAllowed<true>(begin, end);
}
