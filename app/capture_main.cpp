// starwane-capture: the show rendered at a fixed frame rate to PNG frames or a video, or measured (--bench);
// see k_CaptureProgram.
#include "app/k_Application.h"
#include "app/k_CaptureProgram.h"
#include "platform/k_HeapPolicy.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    k_HeapPolicy::KeepLargeBlocksApart();
    static const ShowProgram starwane = k_Application::Starwane();
    k_CaptureProgram capture(starwane, "starwane-capture", L"Orvelant - starwane capture");
    return capture.Run(std::vector<std::string>(argv + 1, argv + argc));
}
