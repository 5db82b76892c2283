#version 150 compatibility
// Marching cubes, second stage: one grid cell per point. The eight corner
// values come from the field texture, the configuration (a bit per corner
// below the iso level) picks a row of the triangle table, and each listed
// edge becomes a vertex where the field crosses the level along it. Normals
// follow the field's gradient, so the surface shades smoothly across cells.
uniform sampler3D dataFieldTex;
uniform isampler2D triTableTex;
uniform float isolevel;
uniform vec4 dataStep;
uniform vec4 vertDecals[8];

out vec3 eyeNormal;
out vec3 eyePosition;
out vec3 boxPosition;

// Box space [-1, 1] to the texel centres of the field.
vec3 FieldCoordinate(vec3 p)
{
    return (p + 1.0) * 0.5 + 0.5 * dataStep.xyz;
}

float Sample(vec3 p)
{
    return texture(dataFieldTex, FieldCoordinate(p)).a;
}

vec3 Gradient(vec3 p)
{
    vec3 dx = vec3(2.0 * dataStep.x, 0.0, 0.0);
    vec3 dy = vec3(0.0, 2.0 * dataStep.y, 0.0);
    vec3 dz = vec3(0.0, 0.0, 2.0 * dataStep.z);
    return vec3(Sample(p + dx) - Sample(p - dx), Sample(p + dy) - Sample(p - dy), Sample(p + dz) - Sample(p - dz));
}

const ivec2 edgeCorners[12] = ivec2[12](ivec2(0, 1), ivec2(1, 2), ivec2(2, 3), ivec2(3, 0),
                                       ivec2(4, 5), ivec2(5, 6), ivec2(6, 7), ivec2(7, 4),
                                       ivec2(0, 4), ivec2(1, 5), ivec2(2, 6), ivec2(3, 7));

vec3 corner[8];
float value[8];

void EmitEdge(int edge)
{
    ivec2 ends = edgeCorners[edge];
    float a = value[ends.x];
    float b = value[ends.y];
    float t = abs(b - a) > 1e-6 ? clamp((isolevel - a) / (b - a), 0.0, 1.0) : 0.5;
    vec3 p = mix(corner[ends.x], corner[ends.y], t);
    // The field grows outwards (it is lowest inside), so the gradient is the outward normal.
    vec3 n = Gradient(p);
    eyeNormal = gl_NormalMatrix * (dot(n, n) > 0.0 ? normalize(n) : vec3(0.0, 1.0, 0.0));
    vec4 eye = gl_ModelViewMatrix * vec4(p, 1.0);
    eyePosition = eye.xyz;
    boxPosition = p;
    gl_Position = gl_ProjectionMatrix * eye;
    EmitVertex();
}

void main()
{
    vec3 origin = gl_in[0].gl_Position.xyz;
    int configuration = 0;
    for (int i = 0; i < 8; ++i)
    {
        corner[i] = origin + vertDecals[i].xyz;
        value[i] = Sample(corner[i]);
        if (value[i] < isolevel)
            configuration |= 1 << i;
    }
    if (configuration == 0 || configuration == 255)
        return;
    for (int i = 0; i < 15; i += 3)
    {
        int first = texelFetch(triTableTex, ivec2(i, configuration), 0).a;
        if (first < 0)
            break;
        EmitEdge(first);
        EmitEdge(texelFetch(triTableTex, ivec2(i + 1, configuration), 0).a);
        EmitEdge(texelFetch(triTableTex, ivec2(i + 2, configuration), 0).a);
        EndPrimitive();
    }
}
