// The standard table: all 22 effect types registered, in order, each with
// its real class behind the name.
#include <gtest/gtest.h>

#include <memory>
#include <typeinfo>

#include "fx/geometry_effects.h"
#include "fx/hypercube_effect.h"
#include "fx/registry.h"
#include "fx/screen_effects.h"
#include "fx/texture_effects.h"
#include "meshfx/camera_effect.h"
#include "meshfx/mesh_effect.h"
#include "meshfx/spline_effect.h"

TEST(StandardEffects, AllTwentyTwoTypesAreReal) {
    EffectRegistry registry;
    ASSERT_EQ(registry.registerStandardEffects(), Ok);
    EXPECT_EQ(registry.count(), 22u);
    EXPECT_EQ(registry.capacity(), 22u);
    struct Entry {
        const char* name;
        const std::type_info& type;
    } entries[] = {
        {"vorn_mesh", typeid(MeshEffect)},
        {"vorn_mesh_tour", typeid(MeshEffect)},
        {"vorn_splines", typeid(SplineEffect)},
        {"bg_clear", typeid(ClearEffect)},
        {"bg_zclear", typeid(DepthClearEffect)},
        {"bg_texture", typeid(BackgroundTextureEffect)},
        {"set_viewport", typeid(ViewportEffect)},
        {"set_camera", typeid(CameraEffect)},
        {"draw_rectblend", typeid(RectBlendEffect)},
        {"fx_clear2tex", typeid(CrossFadeEffect)},
        {"fx_whiteflash", typeid(WhiteFlashEffect)},
        {"fx_blacksmousse", typeid(BlackSmousseEffect)},
        {"fx_fadein", typeid(FadeInEffect)},
        {"fx_whitefadein", typeid(WhiteFadeInEffect)},
        {"kel_hypercube", typeid(HypercubeEffect)},
        {"Kel_trans", typeid(SquareGridEffect)},
        {"Kel_champi", typeid(SpinningCardEffect)},
        {"Kel_text", typeid(TextPlateEffect)},
        {"fx_clear2textile", typeid(TiledCrossFadeEffect)},
        {"rect_texture", typeid(TextureRectEffect)},
        {"fx_cubes", typeid(CubeTunnelEffect)},
        {"fx_lines", typeid(LineFanEffect)},
    };
    for (uint32_t i = 0; i < 22; ++i) {
        EffectFactory* factory = registry.factory(i);
        ASSERT_TRUE(factory);
        EXPECT_STREQ(factory->name, entries[i].name);
        std::unique_ptr<Effect> effect(factory->create());
        ASSERT_TRUE(effect);
        EXPECT_EQ(typeid(*effect), entries[i].type) << entries[i].name;
    }
    EXPECT_EQ(registry.findFactory("kel_trans"), registry.factory(15));
    EXPECT_EQ(registry.findFactory("KEL_CHAMPI"), registry.factory(16));
}
