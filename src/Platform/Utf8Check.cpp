// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform/Utf8Check.h"

#include <QtGlobal>

#include <cstring>

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
