#pragma once
// GLSL 1.10 sources of "clothShader": the falling sheet, lit from both sides, with a
// ripple along its front and back edges, a fire tint, and a burn that eats the fabric
// where its alpha (the burn map) lies below the burn value, leaving a charred band and
// a faint glowing rim at the front.

namespace qelFramework {

inline const char* const kClothVertexShader = R"(#version 110
uniform float time;
uniform float animIntensity;
varying vec3 normal;

void main() {
    vec4 pos = gl_Vertex;
    float anim = 1.0 + sin(pos.x * 50.0 + time * 5.0) * 0.4 * animIntensity * clamp(abs(pos.z) - 0.4, 0.0, 1.0);
    pos *= anim;
    normal = gl_Normal * anim;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = gl_ModelViewProjectionMatrix * pos;
}
)";

inline const char* const kClothFragmentShader = R"(#version 110
uniform sampler2D base;
uniform float burnOut;
uniform float fireOn;
varying vec3 normal;

void main() {
    vec4 col = texture2D(base, gl_TexCoord[0].st);
    col.rgb = clamp(col.rgb * 1.2, 0.0, 1.0);
    col.rgb = mix(col.rgb, vec3(1.3 * col.r, 0.9 * col.g, 0.2 * col.b), fireOn);
    float l0 = clamp(dot(normalize(vec3(-1.0, 1.0, 0.0)), normal), 0.0, 1.0) * col.r;
    float l1 = clamp(dot(normalize(vec3(1.0, 1.0, 0.0)), normal), 0.0, 1.0) * col.g;
    l0 *= l0;
    l1 *= l1;
    float b = clamp(pow(abs(burnOut - col.a) * 10.0, 3.0), 0.0, 1.0);
    if (col.a < burnOut)
        discard;
    vec3 rim = pow(1.0 - b, 150.0) * vec3(1.0, abs(sin(normal.x * 4.0 + normal.y * 2.0 + normal.z)), 0.0) * 0.1;
    gl_FragColor = vec4(col.rgb * l0 * vec3(0.8, 0.7, 0.7) * 1.5 * b + col.rgb * l1 * vec3(0.7, 0.7, 0.9) * 1.5 * b + rim,
                        col.a);
}
)";

} // namespace qelFramework
