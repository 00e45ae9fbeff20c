// EffectRegistry: the ordered list of effect factories, looked up by name,
// and instantiate, which turns a name and a parameter string into a ready
// effect.
//
// The slot array grows by exactly one slot at a time; registration order is
// lookup order; names compare without regard to ASCII letter case. The
// registry owns its factories; the effects it makes belong to the caller.
// The timeline owns one registry for the whole run (demo/timeline.h).
#pragma once
#include <cstdint>

#include "fx/effect.h"

class EffectRegistry {
public:
    EffectRegistry() = default;
    EffectRegistry(const EffectRegistry&) = delete;
    EffectRegistry& operator=(const EffectRegistry&) = delete;
    ~EffectRegistry() { clearRegistry(); }

    // Ok: the registry owns the factory from now on. NotEnoughMemory when the
    // array cannot grow and NullPointer for a null factory: the registry is
    // unchanged and the factory stays the caller's.
    ErrorCode registerEffect(EffectFactory* factory);

    // The first factory whose name equals name, ASCII letters compared
    // without regard to case. Null when none matches (or name is null).
    EffectFactory* findFactory(const char* name) const;

    // A new, initialised effect owned by the caller, or null. An unknown
    // name logs "<name> : unknown or unregistered effect!". A failed init
    // shows the "FX Suxx" box, destroys the effect and logs
    // "<name>>init error : <errorText>". Null parameters read as "".
    Effect* instantiate(const char* name, const char* parameters);

    // Registers the production's 22 effect types in their fixed order
    // (the table lives in fx/standard_effects.cpp). Always Ok.
    ErrorCode registerStandardEffects();

    // Deletes every factory and releases the slot array.
    void clearRegistry();

    uint32_t count() const { return count_; }
    uint32_t capacity() const { return capacity_; }
    EffectFactory* factory(uint32_t index) const { return index < count_ ? items_[index] : nullptr; }

private:
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
    EffectFactory** items_ = nullptr;
};
