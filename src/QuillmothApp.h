#pragma once

// The program: one panel on the left edge, living until the user quits.
namespace QuillmothApp {
int run(int argc, char **argv);
}
