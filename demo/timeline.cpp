// Timeline: part table, layers, tracks and the effect pool, and the frame
// step that fires parts, runs tracks and renders layers.
#include "demo/timeline.h"

Timeline::~Timeline() {
    layers.clear();
    for (ParamTrack& track : tracks) delete track.curve;
    tracks.clear();
    for (Effect* effect : pool) delete effect;
    pool.clear();
    cursor_ = pool.end();
    partTable.clear();
    registry.clearRegistry();
}

void Timeline::addPart(float time, int32_t part) { partTable.push_back(PartTrigger{time, false, part}); }

float Timeline::partStartTime(int32_t part) const {
    for (const PartTrigger& entry : partTable)
        if (entry.part == part) return entry.time;
    return 0.0f;
}

void Timeline::setLayerTemplate(float start, int32_t endPart) {
    templateStart_ = start;
    templateEndPart_ = endPart;
    templateEnd_ = partStartTime(endPart);
}

void Timeline::addLayer(Effect* effect, bool normalized) {
    if (phase != kPhaseRunning) return;
    layers.push_back(Layer{templateStart_, templateEnd_, normalized, templateEndPart_, effect});
}

void Timeline::addTrack(Effect* effect, Curve* curve, int32_t paramId, float start, float duration) {
    if (!curve) return;
    if (phase != kPhaseRunning) {
        delete curve;
        return;
    }
    tracks.push_back(ParamTrack{effect, curve, paramId, start, duration});
}

Effect* Timeline::createEffect(const char* name, const char* parameters) {
    if (phase == kPhaseRunning) {
        if (cursor_ == pool.end()) return nullptr;
        return *cursor_++;
    }
    Effect* effect = registry.instantiate(name, parameters);
    pool.push_back(effect);
    return effect;
}

void Timeline::preload() {
    phase = kPhasePreloading;
    // Appending to a std::list keeps iterators valid, so a hook may add parts.
    for (auto it = partTable.begin(); it != partTable.end(); ++it) onPartStart(it->time, it->part);
    layers.clear();
    for (ParamTrack& track : tracks) delete track.curve;
    tracks.clear();
    phase = kPhaseRunning;
    cursor_ = pool.begin();
}

void Timeline::advance(float t) {
    for (PartTrigger& entry : partTable) {
        if (entry.fired || !(entry.time <= t)) continue;
        entry.fired = true;
        currentPart = entry.part;
        currentPartStart = entry.time;
        const int32_t part = entry.part;
        layers.remove_if([part](const Layer& layer) { return layer.endPart == part; });
        onPartStart(entry.time, entry.part);
    }

    for (auto it = tracks.begin(); it != tracks.end();) {
        ParamTrack& track = *it;
        if (track.start + track.duration <= t) {
            if (track.effect) track.effect->setParam(track.paramId, track.curve->evaluate(1.0f));
            delete track.curve;
            it = tracks.erase(it);
        } else {
            if (track.effect) track.effect->setParam(track.paramId, track.curve->evaluate((t - track.start) / track.duration));
            ++it;
        }
    }

    for (const Layer& layer : layers) {
        if (!layer.effect) continue;
        float value = t - layer.start;
        if (layer.normalized) value = value / (layer.end - layer.start);
        layer.effect->render(value);
    }

    onFrame(t, t - currentPartStart, currentPart);
}
