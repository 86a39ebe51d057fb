#version 440

layout(location = 0) in vec2 texCoord;
layout(location = 0) out vec4 fragColor;

layout(std140, binding = 0) uniform buf {
    mat4 qt_Matrix;
    float qt_Opacity;
};

layout(binding = 1) uniform sampler2D planeY;
layout(binding = 2) uniform sampler2D planeU;
layout(binding = 3) uniform sampler2D planeV;

// BT.601, limited range: what cameras and the player library deliver.
void main()
{
    float y = 1.164383 * (texture(planeY, texCoord).r - 0.0627451);
    float u = texture(planeU, texCoord).r - 0.5;
    float v = texture(planeV, texCoord).r - 0.5;
    vec3 rgb = vec3(y + 1.596027 * v, y - 0.391762 * u - 0.812968 * v, y + 2.017232 * u);
    fragColor = vec4(clamp(rgb, 0.0, 1.0), 1.0) * qt_Opacity;
}
