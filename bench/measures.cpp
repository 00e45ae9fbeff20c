// The timed and probed runs, their child sides and the frame table file.
#define GL_GLEXT_PROTOTYPES 1
#include "bench/measures.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

#include "demo/script.h"

namespace bench {

namespace {

constexpr const char kTimedChild[] = "--timed-child";
constexpr const char kProbedChild[] = "--probed-child";

Sampling samplingFrom(const char* step, const char* calm) {
    Sampling s;
    s.step = std::atof(step);
    s.calmFrames = std::atoi(calm);
    if (!(s.step > 0)) s.step = 1.0 / 60.0;
    if (s.calmFrames < 1) s.calmFrames = 1;
    return s;
}

std::string text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9g", value);
    return buffer;
}

// Child: one line per frame, "F index part t ms".
class TimedObserver final : public Observer {
public:
    void initDone(double, double end, double) override { last_ = end; }
    bool frameDone(int64_t index, float) override {
        double t = now();
        float at = demoTime(index);
        std::printf("F %lld %d %.6f %.5f\n", static_cast<long long>(index), partAt(at), double(at),
                    (t - last_) * 1000.0);
        last_ = now();  // the printing is not the frame's
        return false;
    }
    void finished(int64_t index, float t, int status) override {
        std::printf("F %lld %d %.6f %.5f\n", static_cast<long long>(index), partAt(t), double(t),
                    (now() - last_) * 1000.0);
        std::printf("E %d\n", status);
    }
    std::vector<float> times;

private:
    float demoTime(int64_t index) const {
        if (times.empty()) return 0.0f;
        return size_t(index) < times.size() ? times[size_t(index)] : times.back();
    }
    double last_ = 0;
};

// Brackets an effect's drawing with an occlusion query.
class QueryCounter {
public:
    void begin(FillKind kind) {
        if (open_) return;  // never nested: the effects draw one after another
        if (used_ == queries_.size()) {
            GLuint q = 0;
            glGenQueries(1, &q);
            queries_.push_back(q);
            kinds_.push_back(kind);
        }
        kinds_[used_] = kind;
        glBeginQuery(GL_SAMPLES_PASSED, queries_[used_]);
        open_ = true;
    }
    void end() {
        if (!open_) return;
        glEndQuery(GL_SAMPLES_PASSED);
        open_ = false;
        ++used_;
    }
    // The frame's counts by kind; the queries are free again.
    void collect(double out[kFillKinds]) {
        for (int k = 0; k < kFillKinds; ++k) out[k] = 0;
        for (size_t i = 0; i < used_; ++i) {
            GLuint samples = 0;
            glGetQueryObjectuiv(queries_[i], GL_QUERY_RESULT, &samples);
            out[int(kinds_[i])] += double(samples);
        }
        used_ = 0;
    }

private:
    std::vector<GLuint> queries_;
    std::vector<FillKind> kinds_;
    size_t used_ = 0;
    bool open_ = false;
};

class ProbedEffect final : public Effect {
public:
    ProbedEffect(Effect* inner, FillKind kind, QueryCounter& counter) : inner_(inner), kind_(kind), counter_(counter) {}
    ~ProbedEffect() override { delete inner_; }
    ErrorCode init(const char* parameters) override { return inner_->init(parameters); }
    void setParam(int32_t id, float value) override { inner_->setParam(id, value); }
    void render(float t) override {
        counter_.begin(kind_);
        inner_->render(t);
        counter_.end();
    }

private:
    Effect* inner_;
    FillKind kind_;
    QueryCounter& counter_;
};

class ProbeWrapper final : public EffectWrapper {
public:
    explicit ProbeWrapper(QueryCounter& counter) : counter_(counter) {}
    Effect* wrap(const char* typeName, Effect* effect) override {
        return new ProbedEffect(effect, fillKindOf(typeName), counter_);
    }

private:
    QueryCounter& counter_;
};

// Child: one line per frame, "P part textured texturedBlended flat".
class ProbedObserver final : public Observer {
public:
    explicit ProbedObserver(QueryCounter& counter) : counter_(counter) {}
    bool frameDone(int64_t index, float) override {
        report(index < int64_t(times.size()) ? times[size_t(index)] : times.back());
        return false;
    }
    void finished(int64_t, float t, int) override { report(t); }
    std::vector<float> times;

private:
    void report(float t) {
        double counts[kFillKinds];
        counter_.collect(counts);
        std::printf("P %d %.0f %.0f %.0f\n", partAt(t), counts[0], counts[1], counts[2]);
    }
    QueryCounter& counter_;
};

std::vector<PartTimes> emptyTable() {
    std::vector<PartTimes> parts;
    for (const PartTime& entry : scriptPartTable()) {
        PartTimes p;
        p.part = entry.part;
        p.start = entry.time;
        parts.push_back(p);
    }
    return parts;
}

PartTimes* findPart(std::vector<PartTimes>& parts, int32_t part) {
    for (PartTimes& p : parts)
        if (p.part == part) return &p;
    return nullptr;
}

}  // namespace

void childMain(int argc, char** argv) {
    if (argc < 2) return;
    if (std::strcmp(argv[1], kTimedChild) == 0 && argc >= 6) {
        Sampling sampling = samplingFrom(argv[4], argv[5]);
        static TimedObserver observer;
        observer.times = sampleTimes(sampling);
        std::exit(runProduction(std::atoi(argv[2]), std::atoi(argv[3]), sampling, observer));
    }
    if (std::strcmp(argv[1], kProbedChild) == 0 && argc >= 6) {
        Sampling sampling = samplingFrom(argv[4], argv[5]);
        static QueryCounter counter;
        static ProbeWrapper wrapper(counter);
        static ProbedObserver observer(counter);
        observer.times = sampleTimes(sampling);
        std::exit(runProduction(std::atoi(argv[2]), std::atoi(argv[3]), sampling, observer, &wrapper));
    }
}

TimedRun runTimed(int width, int height, const Sampling& sampling) {
    TimedRun run;
    run.width = width;
    run.height = height;
    run.parts = emptyTable();
    int status = -1;
    double begin = now();
    std::string out = runChild({kTimedChild, std::to_string(width), std::to_string(height), text(sampling.step),
                                std::to_string(sampling.calmFrames)},
                               &status, &run.maxRssKb);
    run.wallSeconds = now() - begin;
    std::istringstream lines(out);
    std::string line;
    bool ended = false;
    while (std::getline(lines, line)) {
        long long index = 0;
        int part = 0;
        double t = 0, ms = 0;
        int endStatus = 0;
        if (std::sscanf(line.c_str(), "F %lld %d %lf %lf", &index, &part, &t, &ms) == 4) {
            PartTimes* p = findPart(run.parts, part);
            if (!p) continue;
            ++p->frames;
            p->sumMs += ms;
            if (ms > p->worstMs) {
                p->worstMs = ms;
                p->worstAt = float(t);
            }
        } else if (std::sscanf(line.c_str(), "E %d", &endStatus) == 1) {
            ended = endStatus == 0;
        }
    }
    run.ok = ended && status == 0;
    return run;
}

const char* fillKindName(FillKind kind) {
    switch (kind) {
        case FillKind::Textured: return "textured";
        case FillKind::TexturedBlended: return "textured blended";
        case FillKind::Flat: return "flat";
    }
    return "?";
}

FillKind fillKindOf(const char* typeName) {
    static const char* const opaque[] = {"bg_texture", "fx_clear2tex", "fx_clear2textile"};
    static const char* const blended[] = {"Kel_text", "Kel_champi", "rect_texture"};
    for (const char* name : opaque)
        if (strcasecmp(name, typeName) == 0) return FillKind::Textured;
    for (const char* name : blended)
        if (strcasecmp(name, typeName) == 0) return FillKind::TexturedBlended;
    return FillKind::Flat;
}

std::vector<PartPixels> runProbed(int width, int height, const Sampling& sampling) {
    int status = -1;
    std::string out = runChild({kProbedChild, std::to_string(width), std::to_string(height), text(sampling.step),
                                std::to_string(sampling.calmFrames)},
                               &status);
    std::vector<PartPixels> parts;
    if (status != 0) return parts;
    for (const PartTime& entry : scriptPartTable()) {
        PartPixels p;
        p.part = entry.part;
        parts.push_back(p);
    }
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        int part = 0;
        double a = 0, b = 0, c = 0;
        if (std::sscanf(line.c_str(), "P %d %lf %lf %lf", &part, &a, &b, &c) != 4) continue;
        for (PartPixels& p : parts) {
            if (p.part != part) continue;
            ++p.frames;
            p.samples[0] += a;
            p.samples[1] += b;
            p.samples[2] += c;
        }
    }
    return parts;
}

std::vector<PartTimes> readFrameTable(const std::string& path) {
    std::vector<PartTimes> parts;
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return parts;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        PartTimes p;
        long long frames = 0;
        if (std::sscanf(line, "%d %f %lld %lf %lf %f", &p.part, &p.start, &frames, &p.sumMs, &p.worstMs,
                        &p.worstAt) == 6) {
            p.frames = frames;
            parts.push_back(p);
        }
    }
    std::fclose(file);
    return parts;
}

bool writeFrameTable(const std::string& path, const TimedRun& run) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "# part start frames sum_ms worst_ms worst_at (%dx%d)\n", run.width, run.height);
    for (const PartTimes& p : run.parts)
        std::fprintf(file, "%d %.3f %lld %.5f %.5f %.4f\n", p.part, double(p.start), static_cast<long long>(p.frames),
                     p.sumMs, p.worstMs, double(p.worstAt));
    return std::fclose(file) == 0;
}

}  // namespace bench
