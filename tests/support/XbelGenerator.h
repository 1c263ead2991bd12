// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Random recently-used stores, valid or nearly valid, in the many shapes writers produce:
// attribute orders and quotes, entities, comments, CDATA, namespace declarations in unusual
// places, fractional seconds, time zones, missing optional attributes, duplicates.
// `plain` keeps to what desktop writers produce (and the fast reader takes).
QByteArray randomXbel(QRandomGenerator &random, int entries, bool plain = false);
// A small mutation of a document (a byte flipped, a cut, a deletion), for near misses.
QByteArray mutated(QRandomGenerator &random, QByteArray document);
