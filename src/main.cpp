// SPDX-FileCopyrightText: 2026 The Quillmoth developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QuillmothApp.h"

int main(int argc, char **argv)
{
    return QuillmothApp::run(argc, argv);
}
