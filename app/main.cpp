// starwane: the entry point. The shell asks for the display settings, brings up the engine, the window and
// the show, starts the music and runs the show until the viewer quits (see k_DemoShell).
#include "app/k_Application.h"
#include "app/k_DemoShell.h"

int main()
{
    static const ShowProgram starwane = k_Application::Starwane();
    return k_DemoShell(starwane).Play();
}
