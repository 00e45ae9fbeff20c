// "vorn_mesh" and "vorn_mesh_tour": the triangle mesh of a 3DS scene drawn
// as a flat-shaded, single-colour solid lit by one directional light, in the
// view that the camera layer before it left. Both names make this class.
//
// init compiles the mesh into a display list (one face normal per triangle)
// and releases the scene; the list stays with the GL context.
#pragma once
#include <cstdint>

#include "fx/effect.h"

class Scene3DS;

class MeshEffect : public Effect {
public:
    // "%x %s": colour AARRGGBB, scene file. IoError when the scene does not load.
    ErrorCode init(const char* parameters) override;
    void setParam(int32_t id, float value) override;  // ignored
    void render(float t) override;                    // t ignored

    // The diffuse material colour the render sets: red, green, blue, alpha in 0..1.
    void diffuse(float out[4]) const;

    uint32_t colour = 0;
    uint32_t displayList = 0;  // 0 when none could be allocated

private:
    void compile(Scene3DS& scene);
};
