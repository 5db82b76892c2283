#version 150
#define X 1
