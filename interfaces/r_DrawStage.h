#pragma once
// The stages of a node's own drawing (IRenderable::Draw), in the order Render calls them: before the node's
// transformation is applied (set per-draw uniforms here), its geometry (skipped while it is hidden), and after
// its children. The calls take the stage as an int: r_DrawStage::Geometry.
struct r_DrawStage
{
    enum : int
    {
        BeforeTransform = 0,
        Geometry = 1,
        AfterChildren = 2,
    };
};
