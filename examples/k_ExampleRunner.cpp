#include "examples/k_ExampleRunner.h"

#include "app/k_MainLoop.h"
#include "app/k_Window.h"
#include "demo/k_Demo.h"
#include "engine/k_Engine.h"
#include "graphics/k_PngWriter.h"
#include "interfaces/IGraphics.h"
#include "platform/k_SdlDisplay.h"

#include <GL/glew.h>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace
{
constexpr double k_ShotStep = 1.0 / 30.0;

int Usage(const char* program)
{
    std::cerr << "usage: " << program << " [--shot SECONDS FILE.png]\n";
    return 2;
}
} // namespace

int k_ExampleRunner::Run(int argc, char** argv, const wchar_t* title, const std::function<k_Demo*(IEngine*)>& makeDemo)
{
    bool shot = false;
    double shotTime = 0.0;
    std::string shotFile;
    if (argc == 4 && std::string(argv[1]) == "--shot")
    {
        char* end = nullptr;
        shotTime = std::strtod(argv[2], &end);
        if (end == argv[2] || *end != '\0' || !(shotTime >= 0.0) || shotTime > 3600.0)
            return Usage(argv[0]);
        shot = true;
        shotFile = argv[3];
    }
    else if (argc != 1)
    {
        return Usage(argv[0]);
    }

    try
    {
        if (!k_SdlDisplay::Open())
            throw L"Cannot open the display: the example needs a graphical session (is DISPLAY set?).";
        auto engine = std::make_unique<k_Engine>();
        auto window = std::make_unique<k_Window>(title, Width, Height, engine.get(), true, false);
        window->Create();
        engine->Initialize();
        engine->GetGraphics()->SetAspectRatio(static_cast<float>(Width) / Height);
        std::unique_ptr<k_Demo> demo(makeDemo(engine.get()));
        demo->Build();
        engine->Update(0.00001);

        if (!shot)
        {
            k_MainLoop loop(engine.get(), window.get(), demo.get());
            loop.Start();
            loop.Run();
            return 0;
        }

        // Fixed steps up to the shot's time; the last frame is read back before it is shown.
        double time = 0.00001;
        do
        {
            const double step = std::min(k_ShotStep, shotTime - time);
            demo->BeginFrame();
            engine->Update(step > 0.0 ? step : 0.0);
            time += step > 0.0 ? step : 0.0;
            if (time < shotTime)
                window->Present();
        } while (time < shotTime);
        glReadBuffer(GL_BACK);
        const bool written = k_PngWriter::WriteFramebuffer(shotFile, engine->GetGraphics()->GetWidth(),
                                                           engine->GetGraphics()->GetHeight());
        window->Present();
        return written ? 0 : 1;
    }
    catch (const wchar_t* message)
    {
        std::wcerr << message << std::endl;
        return 1;
    }
}
