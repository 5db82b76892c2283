#pragma once
// The template's show: one world, the sky, and the captions of its show file (assets/Show.txt), which
// are drawn over it. The show file's fade "from-black" brings the sky up from black.
#include "demo/k_Show.h"

class k_SkyWorld;

class k_TemplateShow : public k_Show
{
public:
    explicit k_TemplateShow(IEngine* engine);

protected:
    void Fade(const std::string& name, double progress) override;
    // The sky as it was before the first frame: black.
    void RewindShow() override;

private:
    k_SkyWorld* m_sky = nullptr;
};
