#include "QuillmothApp.h"

int main(int argc, char **argv)
{
    return QuillmothApp::run(argc, argv);
}
