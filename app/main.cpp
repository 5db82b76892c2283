// starwane: the entry point. For now it brings up the engine's log and exits;
// the window, the setup dialog and the show join it as they are built.
#include "engine/k_Log.h"

int main()
{
    k_Log() << "Orvelant demo system - starwane";
    return 0;
}
