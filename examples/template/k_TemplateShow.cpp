#include "k_TemplateShow.h"

#include "k_SkyWorld.h"

#include <memory>

// The names the show file's switches and fades may take: no switches of its own, one fade.
k_TemplateShow::k_TemplateShow(IEngine* engine) : k_Show(engine, {{}, {"from-black"}})
{
    // The worlds, in drawing order: each is one step of the loading bar. A world the show file only turns on
    // and off needs no more than a named step, AddWorldStep("name", Start::Disabled, make): the file's
    // switches "name-on" and "name-off" do the rest.
    AddWorldStep([this] { return Keep(m_sky, std::make_unique<k_SkyWorld>(m_engine)); });
}

void k_TemplateShow::Fade(const std::string& name, double progress)
{
    if (name == "from-black" && m_sky)
        m_sky->SetBrightness(static_cast<float>(progress));
}

void k_TemplateShow::RewindShow()
{
    if (m_sky)
        m_sky->SetBrightness(0.0f);
}
