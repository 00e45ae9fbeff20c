// Demo: loading, the frame step on the music clock, the script's walk over
// its steps (demo/script.h), and the application side's registration with
// the Os. Leans on the timeline, the music (sound/music.h), the "bg_texture"
// effect for the loading picture and the OpenGL driver.
#include "demo/demo.h"

#include <cstdlib>

#include "demo/curves.h"
#include "fx/texture_effects.h"
#include "gl/gl_driver.h"
#include "sound/music.h"

Demo::~Demo() { delete music; }

ErrorCode Demo::init(Driver* d) {
    App::init(d);
    registry.registerStandardEffects();
    music = new Music(kMusicFile);  // a failure ends the process with its box
    buildPartTable();

    // The loading picture, drawn by an effect of its own outside the pool,
    // twice so that both buffers hold it. A missing picture stops nothing.
    {
        BackgroundTextureEffect loading;
        loading.init(kLoadingPicture);
        for (int round = 0; round < 2; ++round) {
            loading.render(0.0f);
            if (currentDriver) currentDriver->endFrame();
        }
    }

    preload();
    music->play();
    return Ok;
}

void Demo::shutdown() {
    if (music) music->stop();
    registry.clearRegistry();
    endProcess(0);
}

void Demo::update() {
    if (phase != kPhaseRunning) return;
    advance(clockSeconds());
}

int32_t Demo::clockMs() { return music ? music->timeMs() : 0; }

float Demo::clockSeconds() { return float(clockMs()) * 0.001f; }

void Demo::endProcess(int status) {
    // The sound output's thread must not be left reading the stream while
    // the process tears down.
    if (music) music->stop();
    std::exit(status);
}

void Demo::onFrame(float, float, int32_t part) {
    if (part == kLastPart) endProcess(0);
}

void Demo::buildPartTable() {
    for (const PartTime& entry : scriptPartTable()) addPart(entry.time, entry.part);
}

Effect*& Demo::member(Slot slot) {
    switch (slot) {
        case Slot::Camera1: return camera1;
        case Slot::Camera2: return camera2;
        case Slot::CubeA: return cubeA;
        case Slot::CubeB: return cubeB;
        case Slot::None: break;
    }
    nowhere_ = nullptr;
    return nowhere_;
}

namespace {

Curve* makeCurve(const CurveSpec& shape) {
    switch (shape.kind) {
        case CurveKind::Linear: return new LinearCurve(shape.a, shape.b);
        case CurveKind::Trapezoid: return new TrapezoidCurve(shape.a, shape.b, shape.c);
        case CurveKind::Sine: return new SineCurve(shape.a, shape.b, shape.c);
    }
    return nullptr;
}

}  // namespace

// Runs once per part during preload (effects are created, layers and
// tracks not added) and again when the part fires (the same createEffect
// calls get the preloaded effects back in order). Every step runs whatever
// came before, so the two walks stay in step.
void Demo::onPartStart(float start, int32_t part) {
    const ScriptPart* entry = findScriptPart(part);
    if (!entry) return;
    setLayerTemplate(start, entry->endPart);
    for (const ScriptStep& step : entry->steps) {
        if (step.kind == ScriptStep::Kind::Track) {
            float duration = step.untilPart >= 0 ? partStartTime(step.untilPart) - start : step.seconds;
            addTrack(member(step.target), makeCurve(step.curve), step.paramId, start, duration);
            continue;
        }
        const char* parameters =
            step.parameters ? step.parameters : screenRect(step.rect.a, step.rect.b, step.rect.c, step.rect.d);
        Effect* effect = createEffect(step.name, parameters);
        if (step.layer != LayerKind::None) addLayer(effect, step.layer == LayerKind::Progress);
        if (step.remember != Slot::None) member(step.remember) = effect;
    }
}

std::vector<std::string> productionFiles() {
    std::vector<std::string> files;
    auto add = [&files](const std::string& file) {
        for (const std::string& known : files)
            if (known == file) return;
        files.push_back(file);
    };
    add(kMusicFile);
    add(kLoadingPicture);
    for (const ScriptPart& part : scriptParts()) {
        for (const ScriptStep& step : part.steps) {
            if (step.kind != ScriptStep::Kind::Effect || !step.parameters) continue;
            // A file name is one word; the words are split at blanks.
            const std::string text = step.parameters;
            size_t at = 0;
            while (at < text.size()) {
                size_t begin = text.find_first_not_of(' ', at);
                if (begin == std::string::npos) break;
                size_t end = text.find(' ', begin);
                if (end == std::string::npos) end = text.size();
                std::string word = text.substr(begin, end - begin);
                if (word.rfind("./", 0) == 0) add(word);
                at = end;
            }
        }
    }
    return files;
}

// The application side of the entry point: one demo and one OpenGL driver
// with its video page, from registration to unregistration.
namespace {
Demo* demo = nullptr;
GlDriver* glDriver = nullptr;
}  // namespace

ErrorCode registerApplication(Os& os) {
    demo = new Demo;
    os.addApp(demo);
    glDriver = new GlDriver;
    os.addDriver(glDriver);
    os.addPage(glDriver);
    return Ok;
}

void unregisterApplication(Os& os) {
    os.removeApp(demo);
    delete demo;
    demo = nullptr;
    os.removeDriver(glDriver);
    delete glDriver;
    glDriver = nullptr;
}
