// The production's 22 effect types, in their registration order. This
// table is the one place that names them all; lookups go through it in this
// order and ignore letter case.
#include "fx/registry.h"
#include "fx/screen_effects.h"

namespace {

// Stands in for an effect type that is not written yet: its init fails, so
// instantiate reports it and the pool records none, while the name keeps its
// place in the table.
class PendingEffect : public Effect {
public:
    ErrorCode init(const char*) override { return Failed; }
    void setParam(int32_t, float) override {}
    void render(float) override {}
};

struct StandardEffect {
    const char* name;
    EffectFactory* (*makeFactory)(const char* name);
};

template <class E>
EffectFactory* factoryOf(const char* name) {
    return new EffectFactoryOf<E>(name);
}

const StandardEffect kStandardEffects[] = {
    {"vorn_mesh", factoryOf<PendingEffect>},
    {"vorn_mesh_tour", factoryOf<PendingEffect>},
    {"vorn_splines", factoryOf<PendingEffect>},
    {"bg_clear", factoryOf<ClearEffect>},
    {"bg_zclear", factoryOf<DepthClearEffect>},
    {"bg_texture", factoryOf<PendingEffect>},
    {"set_viewport", factoryOf<ViewportEffect>},
    {"set_camera", factoryOf<PendingEffect>},
    {"draw_rectblend", factoryOf<RectBlendEffect>},
    {"fx_clear2tex", factoryOf<PendingEffect>},
    {"fx_whiteflash", factoryOf<WhiteFlashEffect>},
    {"fx_blacksmousse", factoryOf<BlackSmousseEffect>},
    {"fx_fadein", factoryOf<FadeInEffect>},
    {"fx_whitefadein", factoryOf<WhiteFadeInEffect>},
    {"kel_hypercube", factoryOf<PendingEffect>},
    {"Kel_trans", factoryOf<PendingEffect>},
    {"Kel_champi", factoryOf<PendingEffect>},
    {"Kel_text", factoryOf<PendingEffect>},
    {"fx_clear2textile", factoryOf<PendingEffect>},
    {"rect_texture", factoryOf<PendingEffect>},
    {"fx_cubes", factoryOf<PendingEffect>},
    {"fx_lines", factoryOf<PendingEffect>},
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
