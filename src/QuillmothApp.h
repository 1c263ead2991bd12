// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The program: one panel on the left edge, living until the user quits.
namespace QuillmothApp {
int run(int argc, char **argv);
}
