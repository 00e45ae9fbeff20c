// Timeline: the production's scheduling core. A table of numbered parts with
// start times, the layers drawn every frame between two part boundaries, the
// parameter tracks that animate effect parameters along a curve, the effect
// pool, and the effect registry.
//
// What a part does is the subclass's onPartStart hook (the script). The
// owner fills the registry and the part table, calls preload once (every
// part's hook runs with the phase preloading: createEffect instantiates and
// records, addLayer and addTrack add nothing), then calls advance(t) every
// frame; in the running phase createEffect hands back the recorded effects
// one by one, in the order they were recorded.
//
// The timeline owns the registry, the part table, the layers, the tracks
// with their curves and every effect in the pool; layers and tracks only
// refer to pool effects. Main thread only.
#pragma once
#include <cstdint>
#include <list>

#include "demo/curves.h"
#include "fx/effect.h"
#include "fx/registry.h"

struct PartTrigger {
    float time = 0.0f;  // scheduled start, seconds on the timeline clock
    bool fired = false;
    int32_t part = 0;
};

struct Layer {
    float start = 0.0f;  // scheduled start of the part that added the layer
    float end = 0.0f;    // start of the end part (0.0 when it is not in the table)
    bool normalized = false;  // render gets the progress start..end instead of seconds
    int32_t endPart = 0;      // removed when this part fires
    Effect* effect = nullptr; // the pool's, may be null
};

struct ParamTrack {
    Effect* effect = nullptr;  // the pool's, may be null
    Curve* curve = nullptr;    // owned by the track
    int32_t paramId = 0;
    float start = 0.0f;
    float duration = 0.0f;
};

class Timeline {
public:
    static constexpr int32_t kPhaseIdle = -1;
    static constexpr int32_t kPhaseRunning = 0;
    static constexpr int32_t kPhasePreloading = 1;

    Timeline() = default;
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;
    virtual ~Timeline();

    // start is the part's scheduled time from the table, not the clock.
    virtual void onPartStart(float start, int32_t part) {
        (void)start;
        (void)part;
    }
    // Called at the end of every advance.
    virtual void onFrame(float t, float partTime, int32_t part) {
        (void)t;
        (void)partTime;
        (void)part;
    }

    // Appends; the table is not sorted, advance fires entries in table order.
    void addPart(float time, int32_t part);
    // Time of the first entry for part, 0.0 when there is none.
    float partStartTime(int32_t part) const;
    // The start, end and end part that the next addLayer calls use.
    void setLayerTemplate(float start, int32_t endPart);
    // Running phase only; otherwise nothing is added.
    void addLayer(Effect* effect, bool normalized);
    // Running phase: appends a track that owns curve. Any other phase: deletes
    // the curve at once and appends nothing. A null curve adds nothing.
    void addTrack(Effect* effect, Curve* curve, int32_t paramId, float start, float duration);
    // Running phase: the next pool entry (null past the end), names ignored.
    // Otherwise: instantiate through the registry and append the result,
    // effect or null, to the pool.
    Effect* createEffect(const char* name, const char* parameters);
    // Runs every part's hook once with the phase preloading, drops whatever
    // layers and tracks that left, then enters the running phase with the
    // pool cursor on the first entry.
    void preload();
    // The frame step: fire due parts in table order, run tracks, render
    // layers, then onFrame.
    void advance(float t);

    EffectRegistry registry;
    std::list<PartTrigger> partTable;
    std::list<Layer> layers;
    std::list<Effect*> pool;  // entries may be null (a failed instantiation)
    std::list<ParamTrack> tracks;
    int32_t currentPart = 0;        // the part fired last
    float currentPartStart = 0.0f;  // and its scheduled time
    int32_t phase = kPhaseIdle;

private:
    std::list<Effect*>::iterator cursor_ = pool.end();
    float templateStart_ = 0.0f;
    float templateEnd_ = 0.0f;
    int32_t templateEndPart_ = 0;
};
