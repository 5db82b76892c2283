#pragma once
// The studio's caption painter: when the caption manifest (Captions.txt) is saved, the build's caption
// generator paints every caption picture again beside the running show, into a folder of its own; when it is
// done, the pictures that came out different are moved into the folder the engine's file system serves after
// the watched one, and their names are handed back for the textures to be reloaded.
#include "app/studio/k_StudioJob.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class k_StudioPainter
{
public:
    // The bytes the show reads under a pack name now (empty when it has none).
    using Current = std::function<std::string(const std::string& name)>;
    // The painter program (orvelant_captiongen), the manifest it reads, the folder served to the engine, and
    // what the show reads now: a picture painted the same as that is left out.
    k_StudioPainter(std::string program, std::filesystem::path manifest, std::filesystem::path served, Current current);
    ~k_StudioPainter();
    k_StudioPainter(const k_StudioPainter&) = delete;
    k_StudioPainter& operator=(const k_StudioPainter&) = delete;

    // The manifest was saved: paints again now, or as soon as the painting under way ends. Empty, or why the
    // painter cannot be started.
    std::string Saved();
    // What a finished painting gave: the pack names of the pictures that changed (empty when none did), or
    // the painter's error.
    struct Result
    {
        std::vector<std::string> changed;
        std::string error;
        double milliseconds = 0.0;
    };
    // Nothing while nothing has finished since the last call.
    std::optional<Result> Poll();

private:
    bool StartPainting(std::string& error);
    std::vector<std::string> MoveChanged() const;

    std::string m_program;
    std::filesystem::path m_manifest;
    std::filesystem::path m_served;
    std::filesystem::path m_fresh;
    Current m_current;
    k_StudioJob m_job;
};
