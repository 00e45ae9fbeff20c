// Effect: one visual element of the production. Configured once from a
// parameter string (init), fed numbered float parameters while it runs
// (setParam) and drawn for a time value (render): seconds since its layer
// started, or the layer's progress, as the layer decides.
//
// Effects draw straight into the current OpenGL context with the screen size
// of currentDriver, and hand GL state on to the layers after them.
#pragma once
#include <cstdint>

#include "kernel/error.h"

class Effect {
public:
    virtual ~Effect() = default;
    virtual ErrorCode init(const char* parameters) {
        (void)parameters;
        return Failed;
    }
    virtual void setParam(int32_t id, float value) = 0;
    virtual void render(float t) = 0;
};

// Makes new, not yet initialised effects of one type, registered by name.
class EffectFactory {
public:
    explicit EffectFactory(const char* typeName) : name(typeName) {}
    virtual ~EffectFactory() = default;
    virtual Effect* create() = 0;

    const char* name;  // a static literal, not owned
};

template <class E>
class EffectFactoryOf : public EffectFactory {
public:
    using EffectFactory::EffectFactory;
    Effect* create() override { return new E; }
};
