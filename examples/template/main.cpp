// The template's program: the engine's shell (setup dialog, window, music, capture) around its show.
//   ./template                          plays it
//   ./template --capture --at 3 --out frames --size 640x360    draws the frame at 3 s without a display
//   ./template --studio                 plays it live: pause, jump, loop, and what is saved in assets/ reloaded
#include "app/k_DemoShell.h"
#include "k_TemplateShow.h"

// The sky keeps nothing from frame to frame, so the capture seeks straight to each time it draws. A show
// with feedback or adaptation states the seconds of frames that bring them back after a seek as a fifth
// entry, ShowProgram::warmUpSeconds (starwane's is 3).
int main(int argc, char** argv)
{
    static const ShowProgram program{"template", L"Orvelant - template", L"template.ogg",
                                     [](IEngine* engine) -> IShow* { return new k_TemplateShow(engine); }};
    return k_DemoShell(program).Main(argc, argv);
}
