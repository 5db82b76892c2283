// starwane-studio: starwane's show in the studio, for making and checking it (see k_StudioProgram).
#include "app/k_Application.h"
#include "app/studio/k_StudioProgram.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    static const ShowProgram starwane = k_Application::Starwane();
    return k_StudioProgram(starwane, "starwane-studio").Run(std::vector<std::string>(argv + 1, argv + argc));
}
