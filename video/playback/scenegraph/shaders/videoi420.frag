#version 440

layout(location = 0) in vec2 texCoord;
layout(location = 0) out vec4 fragColor;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
    mat4 colorMatrix;
};

layout(binding = 1) uniform sampler2D planeY;
layout(binding = 2) uniform sampler2D planeU;
layout(binding = 3) uniform sampler2D planeV;

// Limited-range Y'CbCr to RGB with the picture's matrix (BT.601 or BT.709).
void main()
{
    vec4 yuv = vec4(texture(planeY, texCoord).r, texture(planeU, texCoord).r, texture(planeV, texCoord).r, 1.0);
    vec3 rgb = (colorMatrix * yuv).rgb;
    fragColor = vec4(clamp(rgb, 0.0, 1.0), 1.0) * qt_Opacity;
}
