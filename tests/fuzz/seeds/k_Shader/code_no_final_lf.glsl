#version 150
#extension GL_EXT_geometry_shader4 : enable

  	
void main()
{
    EmitVertex();
}