#include "CSwarmApp.h"

// The program takes no arguments of its own; the toolkit's standard ones pass through.
int main(int argc, char** argv)
{
    CSwarmApp app(argc, argv);
    return app.Run();
}
