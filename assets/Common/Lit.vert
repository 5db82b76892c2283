#version 120
// Lit solids: the eye-space normal and position for per-pixel lighting, and a
// planar texture coordinate from the object's own x and y (extruded letters
// carry no texture coordinates of their own).
varying vec3 normal;
varying vec3 position;
varying vec2 grain;

void main()
{
    normal = normalize(gl_NormalMatrix * gl_Normal);
    position = vec3(gl_ModelViewMatrix * gl_Vertex);
    grain = gl_Vertex.xy * 0.35 + vec2(gl_Vertex.z * 0.5, 0.0);
    gl_Position = ftransform();
}
