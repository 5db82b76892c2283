#version 120
// Full-target quads: the unit square of the quad mesh covers the whole
// viewport whatever the matrices; the texture coordinate runs 0..1 across it.
varying vec2 uv;

void main()
{
    uv = gl_MultiTexCoord0.xy;
    gl_Position = vec4(gl_Vertex.xy * 2.0 - 1.0, 0.0, 1.0);
}
