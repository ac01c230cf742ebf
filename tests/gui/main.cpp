// The window tests run inside the program's own application object, so that the
// frame loop can be driven and watched.

#include "CSwarmApp.h"

int RunPointerInputTests(int argc, char** argv);
int RunAboutAndMenuTests(int argc, char** argv);

int main(int argc, char** argv)
{
    CSwarmApp app(argc, argv);
    int failures = RunPointerInputTests(argc, argv);
    failures += RunAboutAndMenuTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
