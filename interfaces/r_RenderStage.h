#pragma once
// The stages at which the renderer calls a world while it draws it (IWorld::OnRenderStage), in order: after
// its camera and lights are set and before its render target is bound; with the target bound (or the window
// cleared), before the nodes; after the nodes, with the target still bound; after the target is unbound. The
// calls take the stage as an int, so the names convert to int as they are: r_RenderStage::AfterNodes.
struct r_RenderStage
{
    enum : int
    {
        BeforeTarget = 0,
        BeforeNodes = 1,
        AfterNodes = 2,
        AfterTarget = 3,
    };
};
