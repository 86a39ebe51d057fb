#version 440

layout(location = 0) in vec4 vertexPosition;
layout(location = 1) in vec2 vertexTexCoord;

layout(location = 0) out vec2 texCoord;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    mat4 colorMatrix;
};

void main()
{
    texCoord = vertexTexCoord;
    gl_Position = qt_Matrix * vertexPosition;
}
