#include "examples/k_ExampleRunner.h"

#include "app/k_CaptureLoop.h"
#include "app/k_CaptureOptions.h"
#include "app/k_MainLoop.h"
#include "app/k_Window.h"
#include "engine/k_Engine.h"
#include "graphics/k_FrameReader.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IShow.h"
#include "platform/k_PngWriter.h"
#include "platform/k_SdlDisplay.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

namespace
{
int Usage(const char* program)
{
    std::cerr << "usage: " << program << " [--shot SECONDS FILE.png]\n";
    return 2;
}
} // namespace

int k_ExampleRunner::Run(int argc, char** argv, const wchar_t* title, const std::function<IShow*(IEngine*)>& makeDemo)
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
        std::unique_ptr<IShow> demo(makeDemo(engine.get()));
        demo->Build();

        if (!shot)
        {
            engine->Update(0.00001);
            window->Present();
            k_MainLoop loop(engine.get(), window.get(), demo.get());
            loop.Start();
            loop.Run();
            return 0;
        }

        // The capture program's fixed steps (0.00001 s, then 1/30 s) up to the first frame that reaches
        // the time; that frame is read back before it is shown.
        k_CaptureOptions options;
        options.width = Width;
        options.height = Height;
        options.to = shotTime;
        options.at = {shotTime};
        bool written = false;
        std::string error = "no frame was drawn";
        k_FrameReader reader(Width, Height, [&](int64_t, const uint8_t* rows) {
            written = k_PngWriter::Write(shotFile, Width, Height, rows, error);
        });
        k_CaptureLoop::Hooks hooks;
        hooks.drawn = [&reader](int64_t index, const k_CaptureLoop::Frame* frame) {
            if (frame != nullptr)
                reader.Read(index);
        };
        k_CaptureLoop(options).Run(engine.get(), window.get(), demo.get(), hooks);
        reader.Flush();
        if (!written)
            std::cerr << "cannot write " << shotFile << ": " << error << "\n";
        return written ? 0 : 1;
    }
    catch (const wchar_t* message)
    {
        std::wcerr << message << std::endl;
        return 1;
    }
}
