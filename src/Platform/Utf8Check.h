// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Checks of the store's raw bytes before any of them become strings: valid UTF-8 with none of
// the characters that GBookmarkFile would refuse or read differently. Each is one pass over the
// bytes; the full UTF-8 decoding runs only where non-ASCII bytes occur.
namespace Utf8Check {

// Valid UTF-8 (no overlong forms, surrogates or noncharacters U+FFFE and U+FFFF) with no control
// characters but tab, line feed and carriage return.
bool isPlainUtf8(const unsigned char *begin, const unsigned char *end);

// The range checks are inline: the store reader runs them on every value and text of a large
// store, mostly on a few bytes each, where a call costs as much as the check.
namespace Detail {

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
// `readable` is where readable memory ends, at or after `end`: a short value with sixteen
// readable bytes ahead is checked in one load, the bytes past `end` masked off.
template <bool attribute>
inline bool isAllowed(const char *begin, const char *end, const char *readable)
{
    unsigned bad = 0, high = 0;
    const char *p = begin;
#ifdef __SSE2__
    const auto block = [&](const char *at, unsigned mask) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
        high |= unsigned(_mm_movemask_epi8(x)) & mask;
        bad |= unsigned(_mm_movemask_epi8(disallowedBytes<attribute>(x))) & mask;
    };
    const std::ptrdiff_t length = end - begin;
    if (length >= 16) {
        for (; end - p > 16; p += 16)
            block(p, 0xffffu);
        block(end - 16, 0xffffu); // the last sixteen, overlapping the ones before
        p = end;
    } else if (readable - begin >= 16) {
        block(begin, (1u << length) - 1);
        p = end;
    }
#else
    (void)readable;
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
        || isPlainUtf8(reinterpret_cast<const unsigned char *>(begin),
            reinterpret_cast<const unsigned char *>(end));
}

} // namespace Detail

// Element text: plain UTF-8 without carriage return (which XML turns into line feed) and
// without '>'. `readable`, when given, is where readable memory ends (at or after `end`).
inline bool isAllowedText(const char *begin, const char *end, const char *readable = nullptr)
{
    return Detail::isAllowed<false>(begin, end, readable ? readable : end);
}

// An attribute value: plain UTF-8 with no control character at all (XML turns them into
// spaces) and no '<'.
inline bool isAllowedAttributeValue(
    const char *begin, const char *end, const char *readable = nullptr)
{
    return Detail::isAllowed<true>(begin, end, readable ? readable : end);
}

} // namespace Utf8Check
