#pragma once
// The world a show's captions are shown in when the show names none of its own: made after every world step,
// so drawn last and never switched off, it keeps the picture of the worlds before it (clearing only the
// depth, so that text captions stand in front) and draws nothing but the captions.
#include "scene/k_World.h"

class k_CaptionWorld : public k_World
{
public:
    static constexpr const char* Name = "Captions";
    explicit k_CaptionWorld(IEngine* engine);

    // A camera of the factory's defaults, for text captions carried in front of it.
    void Build() override;
    // Clears the depth only.
    void Clear() override;
};
