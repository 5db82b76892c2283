#version 150 compatibility
// Marching cubes, first stage: each point is the lowest corner of one grid
// cell in the box's own space; it goes on to the geometry stage unchanged.
void main()
{
    gl_Position = gl_Vertex;
}
