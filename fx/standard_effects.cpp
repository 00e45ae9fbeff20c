// The production's 22 effect types, in their registration order. This
// table is the one place that names them all; lookups go through it in this
// order and ignore letter case.
#include "fx/geometry_effects.h"
#include "fx/hypercube_effect.h"
#include "fx/registry.h"
#include "fx/screen_effects.h"
#include "fx/texture_effects.h"
#include "meshfx/camera_effect.h"
#include "meshfx/mesh_effect.h"
#include "meshfx/spline_effect.h"

namespace {

struct StandardEffect {
    const char* name;
    EffectFactory* (*makeFactory)(const char* name);
};

template <class E>
EffectFactory* factoryOf(const char* name) {
    return new EffectFactoryOf<E>(name);
}

const StandardEffect kStandardEffects[] = {
    {"vorn_mesh", factoryOf<MeshEffect>},
    {"vorn_mesh_tour", factoryOf<MeshEffect>},
    {"vorn_splines", factoryOf<SplineEffect>},
    {"bg_clear", factoryOf<ClearEffect>},
    {"bg_zclear", factoryOf<DepthClearEffect>},
    {"bg_texture", factoryOf<BackgroundTextureEffect>},
    {"set_viewport", factoryOf<ViewportEffect>},
    {"set_camera", factoryOf<CameraEffect>},
    {"draw_rectblend", factoryOf<RectBlendEffect>},
    {"fx_clear2tex", factoryOf<CrossFadeEffect>},
    {"fx_whiteflash", factoryOf<WhiteFlashEffect>},
    {"fx_blacksmousse", factoryOf<BlackSmousseEffect>},
    {"fx_fadein", factoryOf<FadeInEffect>},
    {"fx_whitefadein", factoryOf<WhiteFadeInEffect>},
    {"kel_hypercube", factoryOf<HypercubeEffect>},
    {"Kel_trans", factoryOf<SquareGridEffect>},
    {"Kel_champi", factoryOf<SpinningCardEffect>},
    {"Kel_text", factoryOf<TextPlateEffect>},
    {"fx_clear2textile", factoryOf<TiledCrossFadeEffect>},
    {"rect_texture", factoryOf<TextureRectEffect>},
    {"fx_cubes", factoryOf<CubeTunnelEffect>},
    {"fx_lines", factoryOf<LineFanEffect>},
};

}  // namespace

ErrorCode EffectRegistry::registerStandardEffects() {
    for (const StandardEffect& entry : kStandardEffects) {
        EffectFactory* factory = entry.makeFactory(entry.name);
        // A registry that cannot grow leaves the factory with us; the next
        // type still gets its try.
        if (registerEffect(factory) != Ok) delete factory;
    }
    return Ok;
}
