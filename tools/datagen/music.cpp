// The music, ./data/qv3.mp3: synthesised here sample by sample and encoded
// with libmp3lame (44.1 kHz, joint stereo, 128 kbit/s, with the encoder's
// info frame so decoders trim its start-up delay and the clock lines up).
//
// It is composed to the production's part table: a hit (kick, crash and a
// chord stab) starts exactly at every part that flashes; the title cards
// each get a phrase of the lead; the hypercube parts pulse four to the
// floor; the greetings groove has a bar of 2.42 s, the spacing of those
// parts. The beat grid is built between these anchor times, so every beat
// falls exactly on them. After part 30 (79 s) a calm outro of slow sine
// chords and sparse bells runs to the end and fades out.
//
// Notes are rendered one by one into a dry bus and a reverb send; only the
// reverb and the final conversion walk the whole track.
#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>

#include "tools/datagen/datagen.h"

namespace datagen {

namespace {

constexpr int kRate = 44100;

// Part start times of the flashing parts (seconds).
constexpr double kFlashTimes[] = {6.5,  10.0, 13.0, 18.0, 20.0,  26.5,  28.5,  30.5,  33.0,  35.7,  37.7,  39.7, 44.5,
                                  47.7, 52.7, 55.12, 57.54, 59.96, 62.38, 64.8, 67.22, 69.64, 72.06, 74.48, 76.9};
constexpr double kBar = 2.42;          // greetings spacing
constexpr double kGrooveStart = 52.7;  // = 55.12 - one bar
constexpr double kOutroStart = 79.0;

float midiHz(int note) { return 440.0f * std::pow(2.0f, float(note - 69) / 12.0f); }

// A sine table read with a 32-bit phase accumulator.
class SineTable {
public:
    SineTable() {
        for (int i = 0; i <= kSize; ++i) table_[i] = float(std::sin(2.0 * 3.14159265358979 * double(i) / kSize));
    }
    float at(uint32_t phase) const {
        uint32_t i = phase >> 20;
        float f = float(phase & 0xFFFFF) * (1.0f / 1048576.0f);
        return table_[i] + (table_[i + 1] - table_[i]) * f;
    }
    static uint32_t step(float hz) { return uint32_t(double(hz) * 4294967296.0 / kRate); }

private:
    static constexpr int kSize = 4096;
    float table_[kSize + 1];
};

const SineTable& sine() {
    static const SineTable table;
    return table;
}

class Song {
public:
    explicit Song(double seconds) : n_(size_t(seconds * kRate)), dryL(n_), dryR(n_), send(n_), rng_(777) {}

    size_t length() const { return n_; }
    size_t index(double t) const { return size_t(std::llround(t * kRate)); }

    // Where a voice sits: left and right gains for a pan from -1 (left) to
    // 1 (right), constant power, and its reverb send.
    struct Place {
        float l, r, send;
    };
    static Place place(float pan, float send) {
        return {std::sqrt(0.5f * (1.0f - pan)), std::sqrt(0.5f * (1.0f + pan)), send};
    }
    void put(size_t i, float v, const Place& p) {
        if (i >= n_) return;
        dryL[i] += v * p.l;
        dryR[i] += v * p.r;
        send[i] += v * p.send;
    }
    float noise() { return rng_.bipolar(); }

    // --- drums -----------------------------------------------------------
    void kick(double t0, float amp) {
        size_t s0 = index(t0), len = size_t(0.45 * kRate);
        double phase = 0.0;
        const Place at = place(0.0f, 0.05f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float f = 46.0f + 130.0f * std::exp(-t * 32.0f);
            phase += 2.0 * 3.14159265358979 * f / kRate;
            float body = float(std::sin(phase)) * std::exp(-t * 7.0f) * std::min(1.0f, t * 2000.0f);
            float click = noise() * std::exp(-t * 500.0f) * 0.35f;
            float v = body * 1.3f + click;
            v = v / (1.0f + std::fabs(v) * 0.3f);
            put(s0 + k, v * amp, at);
        }
    }
    void snare(double t0, float amp) {
        size_t s0 = index(t0), len = size_t(0.3 * kRate);
        float lp = 0.0f;
        const Place at = place(0.1f, 0.3f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float x = noise();
            lp += 0.3f * (x - lp);
            float tone = float(std::sin(2.0 * 3.14159265358979 * 185.0 * t)) * std::exp(-t * 30.0f) * 0.5f;
            float v = ((x - lp) * std::exp(-t * 17.0f) + tone) * std::min(1.0f, t * 3000.0f);
            put(s0 + k, v * amp, at);
        }
    }
    void hat(double t0, float amp, float decay, float pan) {
        size_t s0 = index(t0), len = size_t(std::min(0.6f, 6.0f / decay) * kRate);
        float prev = 0.0f, lp = 0.0f;
        const Place at = place(pan, 0.15f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float x = noise();
            float hp = x - prev;
            prev = x;
            lp += 0.6f * (hp - lp);
            put(s0 + k, lp * std::exp(-t * decay) * amp, at);
        }
    }
    void crash(double t0, float amp, float seconds) {
        size_t s0 = index(t0), len = size_t(seconds * kRate);
        float pl = 0.0f, pr = 0.0f;
        const Place left = place(-0.6f, 0.35f), right = place(0.6f, 0.35f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float env = std::exp(-t * 4.5f / seconds) * std::min(1.0f, t * 4000.0f) * amp;
            float xl = noise(), xr = noise();
            put(s0 + k, (xl - pl) * env, left);
            put(s0 + k, (xr - pr) * env, right);
            pl = xl;
            pr = xr;
        }
    }

    // --- tones -----------------------------------------------------------
    // Detuned saws through a lowpass whose cutoff falls from bright to dark.
    void stab(double t0, std::initializer_list<int> notes, float amp, float decay, float pan = 0.0f) {
        size_t s0 = index(t0), len = size_t(std::min(8.0f, 7.0f / decay) * kRate);
        std::vector<float> ph(notes.size() * 2, 0.0f), inc;
        for (int n : notes) {
            inc.push_back(midiHz(n) * 1.004f / kRate);
            inc.push_back(midiHz(n) * 0.996f / kRate);
        }
        float lp1 = 0.0f, lp2 = 0.0f;
        const Place at = place(pan, 0.4f);
        float norm = 1.0f / float(inc.size());
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float x = 0.0f;
            for (size_t o = 0; o < inc.size(); ++o) {
                ph[o] += inc[o];
                if (ph[o] >= 1.0f) ph[o] -= 1.0f;
                x += ph[o] * 2.0f - 1.0f;
            }
            float cutoff = 300.0f + 7000.0f * std::exp(-t * 6.0f);
            float a = 1.0f - std::exp(-2.0f * kPi * cutoff / kRate);
            lp1 += a * (x * norm - lp1);
            lp2 += a * (lp1 - lp2);
            float env = std::exp(-t * decay) * std::min(1.0f, t * 1500.0f);
            put(s0 + k, lp2 * env * amp, at);
        }
    }
    void bass(double t0, double dur, int note, float amp) {
        size_t s0 = index(t0), len = size_t((dur + 0.03) * kRate);
        float inc = midiHz(note) / kRate, ph = 0.0f, lp = 0.0f;
        uint32_t sub = 0, subStep = SineTable::step(midiHz(note));
        const Place at = place(0.0f, 0.02f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            ph += inc;
            if (ph >= 1.0f) ph -= 1.0f;
            sub += subStep;
            float cutoff = 180.0f + 1600.0f * std::exp(-t * 14.0f);
            lp += (1.0f - std::exp(-2.0f * kPi * cutoff / kRate)) * ((ph * 2.0f - 1.0f) - lp);
            float env = std::min(1.0f, t * 400.0f) * (t > dur ? std::max(0.0f, 1.0f - float(t - dur) / 0.03f) : 1.0f);
            put(s0 + k, (lp * 0.7f + sine().at(sub) * 0.6f) * env * amp, at);
        }
    }
    // Plucked string (Karplus-Strong), seeded noise in the loop.
    void pluck(double t0, int note, float amp, float pan, float seconds = 1.2f) {
        size_t s0 = index(t0), len = size_t(seconds * kRate);
        size_t period = std::max<size_t>(2, size_t(std::lround(kRate / midiHz(note))));
        std::vector<float> loop(period);
        for (float& v : loop) v = noise();
        size_t p = 0;
        const Place at = place(pan, 0.45f);
        for (size_t k = 0; k < len; ++k) {
            size_t q = (p + 1) % period;
            float v = loop[p];
            loop[p] = 0.5f * (loop[p] + loop[q]) * 0.996f;
            p = q;
            float fade = k + 2000 > len ? float(len - k) / 2000.0f : 1.0f;
            put(s0 + k, v * amp * fade, at);
        }
    }
    void lead(double t0, double dur, int note, float amp, float pan) {
        size_t s0 = index(t0), len = size_t((dur + 0.12) * kRate);
        float base = midiHz(note) / kRate, ph1 = 0.0f, ph2 = 0.3f, lp = 0.0f;
        uint32_t lfo = 0, lfoStep = SineTable::step(5.5f);
        const Place at = place(pan, 0.5f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            lfo += lfoStep;
            float vib = 1.0f + 0.004f * sine().at(lfo) * std::min(1.0f, std::max(0.0f, t - 0.12f) * 4.0f);
            ph1 += base * vib;
            ph2 += base * vib * 1.005f;
            if (ph1 >= 1.0f) ph1 -= 1.0f;
            if (ph2 >= 1.0f) ph2 -= 1.0f;
            float x = (ph1 < 0.35f ? 1.0f : -1.0f) * 0.5f + (ph2 < 0.5f ? 1.0f : -1.0f) * 0.5f;
            lp += 0.22f * (x - lp);
            float env = std::min(1.0f, t * 120.0f) * (0.75f + 0.25f * std::exp(-t * 6.0f));
            if (t > dur) env *= std::max(0.0f, 1.0f - float(t - dur) / 0.12f);
            put(s0 + k, lp * env * amp, at);
        }
    }
    // Slow detuned-saw chord with soft attack and release.
    void pad(double t0, double dur, std::initializer_list<int> notes, float amp) {
        size_t s0 = index(t0), len = size_t((dur + 1.2) * kRate);
        std::vector<float> ph, inc;
        std::vector<Place> places;
        int i = 0;
        for (int n : notes) {
            for (float d : {0.995f, 1.0f, 1.006f}) {
                inc.push_back(midiHz(n) * d / kRate);
                ph.push_back(float(i) * 0.17f);
                places.push_back(place(std::sin(float(i) * 1.7f) * 0.6f, 0.6f));
                ++i;
            }
        }
        std::vector<float> lpL(inc.size(), 0.0f);
        float a = 1.0f - std::exp(-2.0f * kPi * 1400.0f / kRate);
        float norm = 1.0f / float(inc.size());
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float env = std::min(1.0f, t / 0.6f);
            if (t > dur) env *= std::max(0.0f, 1.0f - float(t - dur) / 1.2f);
            for (size_t o = 0; o < inc.size(); ++o) {
                ph[o] += inc[o];
                if (ph[o] >= 1.0f) ph[o] -= 1.0f;
                lpL[o] += a * ((ph[o] * 2.0f - 1.0f) - lpL[o]);
                put(s0 + k, lpL[o] * env * amp * norm * 2.0f, places[o]);
            }
        }
    }
    // Outro chord: pure sines with their octave, very slow swell.
    void sinePad(double t0, double dur, std::initializer_list<int> notes, float amp, float swell) {
        size_t s0 = index(t0), len = std::min(n_ - std::min(n_, s0), size_t((dur + swell) * kRate));
        std::vector<uint32_t> ph, step;
        for (int n : notes) {
            step.push_back(SineTable::step(midiHz(n)));
            step.push_back(SineTable::step(midiHz(n + 12) * 1.002f));
            ph.push_back(0);
            ph.push_back(0);
        }
        float norm = amp / float(notes.size());
        const SineTable& table = sine();
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            float env = std::min(1.0f, t / swell);
            if (t > dur) env *= std::max(0.0f, 1.0f - float(t - dur) / swell);
            env = env * env * (3.0f - 2.0f * env);
            float v = 0.0f;
            for (size_t o = 0; o < ph.size(); o += 2) {
                ph[o] += step[o];
                ph[o + 1] += step[o + 1];
                v += table.at(ph[o]) + 0.3f * table.at(ph[o + 1]);
            }
            size_t i = s0 + k;
            float x = v * env * norm;
            dryL[i] += x * 0.7f;
            dryR[i] += x * 0.7f;
            send[i] += x * 0.7f;
        }
    }
    void bell(double t0, int note, float amp, float pan) {
        size_t s0 = index(t0), len = size_t(5.0 * kRate);
        float f = midiHz(note);
        uint32_t p1 = 0, p2 = 0, p3 = 0, s1 = SineTable::step(f), s2 = SineTable::step(f * 2.76f), s3 = SineTable::step(f * 5.4f);
        const SineTable& table = sine();
        const Place at = place(pan, 0.8f);
        // Exponential decays kept as running products.
        float e1 = 1.0f, e2 = 0.4f, e3 = 0.15f;
        const float d1 = std::exp(-0.9f / kRate), d2 = std::exp(-2.2f / kRate), d3 = std::exp(-5.0f / kRate);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            p1 += s1;
            p2 += s2;
            p3 += s3;
            float v = table.at(p1) * e1 + table.at(p2) * e2 + table.at(p3) * e3;
            e1 *= d1;
            e2 *= d2;
            e3 *= d3;
            put(s0 + k, v * amp * std::min(1.0f, t * 800.0f), at);
        }
    }
    void riser(double t0, double t1, float amp) {
        size_t s0 = index(t0), len = index(t1) - s0;
        float lp = 0.0f, lp2 = 0.0f;
        for (size_t k = 0; k < len; ++k) {
            float p = float(k) / float(len);
            float cutoff = 200.0f + 9000.0f * p * p;
            float a = 1.0f - std::exp(-2.0f * kPi * cutoff / kRate);
            float x = noise();
            lp += a * (x - lp);
            lp2 += a * (lp - lp2);
            // Cut off sharply just before the end, so the hit it leads to
            // stands out as a clear onset.
            float cut = std::min(1.0f, float(len - k) / float(kRate / 50));
            put(s0 + k, (lp - lp2) * p * p * amp * 3.0f * cut, place(std::sin(p * 20.0f) * 0.5f, 0.1f));
        }
    }

    // The mark of a flashing part: kick, crash, stab, and a falling sub.
    void hit(double t0, float strength, std::initializer_list<int> chord) {
        kick(t0, 1.0f * strength);
        crash(t0, 0.22f * strength, 2.2f);
        stab(t0, chord, 0.55f * strength, 2.5f);
        size_t s0 = index(t0), len = size_t(0.8 * kRate);
        double phase = 0.0;
        const Place at = place(0.0f, 0.0f);
        for (size_t k = 0; k < len; ++k) {
            float t = float(k) / kRate;
            phase += 2.0 * 3.14159265358979 * (30.0 + 60.0 * std::exp(-t * 4.0f)) / kRate;
            put(s0 + k, float(std::sin(phase)) * std::exp(-t * 3.5f) * 0.4f * strength, at);
        }
    }

    // Reverb (four damped combs and two allpasses per side) over the send,
    // mixed into the dry bus.
    void reverb() {
        const int combs[4] = {1557, 1617, 1491, 1422}, allpasses[2] = {225, 556};
        for (int side = 0; side < 2; ++side) {
            const std::vector<float>& in = send;
            std::vector<float>& out = side ? dryR : dryL;
            int spread = side ? 23 : 0;
            std::vector<std::vector<float>> cb(4), ab(2);
            for (int c = 0; c < 4; ++c) cb[size_t(c)].assign(size_t(combs[c] + spread), 0.0f);
            for (int a = 0; a < 2; ++a) ab[size_t(a)].assign(size_t(allpasses[a] + spread), 0.0f);
            size_t ci[4] = {0, 0, 0, 0}, ai[2] = {0, 0};
            float damp[4] = {0, 0, 0, 0};
            for (size_t i = 0; i < n_; ++i) {
                float x = in[i] * 0.015f, y = 0.0f;
                for (int c = 0; c < 4; ++c) {
                    std::vector<float>& b = cb[size_t(c)];
                    float o = b[ci[c]];
                    damp[c] = o * 0.75f + damp[c] * 0.25f;
                    b[ci[c]] = x + damp[c] * 0.86f;
                    if (++ci[c] == b.size()) ci[c] = 0;
                    y += o;
                }
                for (int a = 0; a < 2; ++a) {
                    std::vector<float>& b = ab[size_t(a)];
                    float o = b[ai[a]];
                    b[ai[a]] = y + o * 0.5f;
                    y = o - y;
                    if (++ai[a] == b.size()) ai[a] = 0;
                }
                out[i] += y;
            }
        }
    }

    std::vector<int16_t> finish(double fadeStart, double fadeEnd) {
        reverb();
        std::vector<int16_t> pcm(n_ * 2);
        for (size_t i = 0; i < n_; ++i) {
            double t = double(i) / kRate;
            float g = 0.78f;
            if (t > fadeStart) g *= float(0.5 + 0.5 * std::cos(3.14159265358979 * std::min(1.0, (t - fadeStart) / (fadeEnd - fadeStart))));
            for (int c = 0; c < 2; ++c) {
                float x = (c ? dryR[i] : dryL[i]) * g;
                x = std::max(-3.0f, std::min(3.0f, x));
                x = x * (27.0f + x * x) / (27.0f + 9.0f * x * x);  // soft clip
                pcm[i * 2 + size_t(c)] = int16_t(std::lround(std::max(-1.0f, std::min(1.0f, x)) * 32000.0f));
            }
        }
        return pcm;
    }

private:
    size_t n_;

public:
    std::vector<float> dryL, dryR, send;  // send: the reverb input, mono

private:
    Rng rng_;
};

// Beats between anchor times: each gap holds a whole number of beats close
// to the wanted beat length, so the anchors are always on a beat.
std::vector<double> beatGrid(const std::vector<double>& anchors, double beatBefore, double beatAfter, double switchAt) {
    std::vector<double> beats;
    for (size_t i = 0; i + 1 < anchors.size(); ++i) {
        double a = anchors[i], b = anchors[i + 1];
        double want = a < switchAt - 1e-9 ? beatBefore : beatAfter;
        int n = std::max(1, int(std::lround((b - a) / want)));
        for (int k = 0; k < n; ++k) beats.push_back(a + (b - a) * k / n);
    }
    beats.push_back(anchors.back());
    return beats;
}

using Chord = std::initializer_list<int>;
struct Harmony {
    int root;
    Chord notes;
};
const Harmony kAm{45, {57, 60, 64}}, kF{41, {57, 60, 65}}, kC{48, {55, 60, 64}}, kG{43, {55, 59, 62}},
    kDm{50, {57, 62, 65}}, kE{40, {56, 59, 64}};

void compose(Song& s) {
    std::vector<double> anchors{0.0};
    for (double t : kFlashTimes) anchors.push_back(t);
    anchors.push_back(kOutroStart);
    std::vector<double> beats = beatGrid(anchors, 0.5, kBar / 4.0, kGrooveStart + 0.01);
    auto beatsIn = [&](double a, double b) {
        std::vector<double> out;
        for (double t : beats)
            if (t >= a - 1e-6 && t < b - 1e-6) out.push_back(t);
        return out;
    };

    // Intro, 0 to 6.5: a chord swelling out of silence, plucks, a riser.
    s.pad(0.0, 6.3, {57, 64, 67, 72}, 0.08f);
    {
        const int arp[] = {69, 72, 76, 79, 81, 79, 76, 72};
        int k = 0;
        for (double t : beatsIn(1.0, 6.5)) {
            s.pluck(t, arp[k % 8], 0.1f + 0.03f * float(k), (k % 2 ? 0.4f : -0.4f));
            s.pluck(t + 0.25, arp[(k + 3) % 8] + 12, 0.05f + 0.02f * float(k), (k % 2 ? -0.4f : 0.4f));
            ++k;
        }
    }
    s.riser(3.5, 6.4, 0.35f);

    // Part 1 to 6: the star scene with the title cards, 120 bpm.
    {
        const Harmony* bars[] = {&kAm, &kF, &kC, &kG, &kAm, &kF, &kC, &kG, &kDm, &kE};
        std::vector<double> b = beatsIn(6.5, 26.5);
        for (size_t i = 0; i < b.size(); ++i) {
            const Harmony& h = *bars[std::min<size_t>(9, i / 4)];
            double t = b[i];
            if (i % 4 == 0) s.pad(t, 1.9, h.notes, 0.05f);
            if (i % 2 == 0) s.kick(t, 0.65f);
            if (i % 4 == 1 || i % 4 == 3) s.snare(t, 0.3f);
            s.hat(t + 0.25, 0.12f, 40.0f, 0.3f);
            s.bass(t, 0.22, h.root, 0.22f);
            s.bass(t + 0.25, 0.2, h.root + 12, 0.16f);
        }
        s.hit(6.5, 1.2f, {57, 64, 69, 72, 76});
        // One phrase of the lead per title card, in quarter-beat slots.
        struct Phrase {
            double start;
            std::vector<std::pair<int, int>> notes;  // (note, slots)
        };
        const Phrase phrases[] = {
            {10.0, {{76, 2}, {81, 2}, {84, 2}, {83, 1}, {81, 1}, {79, 2}, {76, 2}}},
            {13.0, {{72, 2}, {76, 2}, {79, 4}, {77, 2}, {76, 2}, {74, 4}, {72, 2}, {71, 2}}},
            {18.0, {{81, 2}, {79, 2}, {76, 2}, {74, 2}}},
            {20.0, {{69, 2}, {72, 2}, {76, 2}, {81, 6}, {79, 2}, {76, 2}, {74, 2}, {76, 6}}},
        };
        const Chord stabs[] = {{57, 64, 69}, {60, 65, 69}, {55, 60, 64}, {57, 60, 64, 69}};
        int card = 0;
        for (const Phrase& p : phrases) {
            s.hit(p.start, 0.9f, stabs[card]);
            double t = p.start;
            for (auto [note, slots] : p.notes) {
                double d = slots * 0.25;
                s.lead(t, d * 0.92, note, 0.14f, -0.15f);
                s.lead(t + 0.375, d * 0.92, note, 0.04f, 0.5f);  // echo
                t += d;
            }
            ++card;
        }
        for (int k = 0; k < 8; ++k) s.snare(26.0 + k * 0.0625, 0.15f + 0.05f * float(k));  // fill into part 7
    }

    // Parts 7 to 13: the hypercube, four to the floor, a hit per part.
    {
        const Harmony* parts[] = {&kAm, &kF, &kC, &kG, &kDm, &kE};
        const double starts[] = {26.5, 28.5, 30.5, 33.0, 35.7, 37.7, 39.7};
        for (int p = 0; p < 6; ++p) {
            const Harmony& h = *parts[p];
            std::vector<double> b = beatsIn(starts[p], starts[p + 1]);
            double beat = (starts[p + 1] - starts[p]) / double(b.size());
            s.hit(starts[p], p == 0 ? 1.2f : 1.0f, h.notes);
            s.pad(starts[p], starts[p + 1] - starts[p] - 0.1, h.notes, 0.05f);
            for (size_t i = 0; i < b.size(); ++i) {
                double t = b[i];
                if (i > 0) s.kick(t, 0.8f);
                if (i % 2 == 1) s.snare(t, 0.45f);
                s.hat(t + beat * 0.5, 0.16f, 35.0f, 0.25f);
                s.hat(t + beat * 0.25, 0.06f, 70.0f, -0.3f);
                s.hat(t + beat * 0.75, 0.06f, 70.0f, -0.3f);
                s.bass(t, beat * 0.45, h.root, 0.24f);
                s.bass(t + beat * 0.5, beat * 0.45, h.root + 12, 0.2f);
                int k = 0;
                for (int n : h.notes) {
                    s.pluck(t + beat * 0.25 * k, n + 12, 0.07f, 0.2f - 0.3f * float(k), 0.6f);
                    ++k;
                }
            }
        }
    }

    // Parts 13 to 19: the mushroom cards, lighter, plucked, building up.
    {
        const Harmony* parts[] = {&kF, &kG, &kAm};
        const double starts[] = {39.7, 44.5, 47.7, 52.7};
        for (int p = 0; p < 3; ++p) {
            const Harmony& h = *parts[p];
            std::vector<double> b = beatsIn(starts[p], starts[p + 1]);
            double beat = (starts[p + 1] - starts[p]) / double(b.size());
            s.hit(starts[p], 0.95f, h.notes);
            s.pad(starts[p], starts[p + 1] - starts[p] - 0.2, h.notes, 0.07f);
            for (size_t i = 0; i < b.size(); ++i) {
                double t = b[i];
                if (i > 0 && i % 2 == 0) s.kick(t, 0.5f);
                s.hat(t + beat * 0.5, 0.09f, 45.0f, 0.2f);
                int k = 0;
                for (int n : h.notes) {
                    s.pluck(t + beat * 0.5 * (k % 2), n + 12 * (1 + (int(i) + k) % 2), 0.08f, -0.5f + 0.5f * float(k), 0.9f);
                    ++k;
                }
                if (i % 2 == 0) s.bass(t, beat * 1.6, h.root, 0.18f);
            }
        }
        s.riser(50.7, 52.6, 0.45f);
        for (int k = 0; k < 16; ++k) s.snare(50.7 + k * 0.125, 0.08f + 0.02f * float(k));
        for (int k = 0; k < 6; ++k) s.snare(52.7 - 0.5 + k * 0.0625, 0.3f + 0.04f * float(k));
    }

    // Parts 19 to 29: the greetings groove, one bar of 2.42 s per card.
    {
        const Harmony* bars[] = {&kAm, &kF, &kC, &kG, &kAm, &kF, &kC, &kG, &kDm, &kE};
        const int riff[16] = {0, -1, 12, 0, -1, 0, 10, -1, 0, -1, 12, 0, -1, 7, 5, -1};
        const int melody[10][8] = {
            {-1, -1, -1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1, -1, -1}, {76, -1, 79, 81, -1, 79, 76, -1},
            {74, -1, 71, -1, 74, 76, -1, -1}, {72, -1, 76, 81, -1, 84, 83, 81}, {81, -1, 77, -1, 76, 74, -1, 72},
            {76, -1, 79, -1, 84, -1, 83, 79}, {79, -1, 74, -1, 71, -1, 74, -1}, {77, -1, 81, 77, -1, 74, -1, 72},
            {71, -1, 68, -1, 76, -1, -1, -1},
        };
        const double sixteenth = kBar / 16.0;
        for (int bar = 0; bar < 10; ++bar) {
            const Harmony& h = *bars[bar];
            double t0 = kGrooveStart + bar * kBar;
            s.hit(t0, bar == 0 ? 1.2f : 0.9f, h.notes);
            s.pad(t0, kBar - 0.1, h.notes, 0.05f);
            for (int k = 0; k < 16; ++k) {
                double t = t0 + k * sixteenth;
                if (k == 8 || k == 11) s.kick(t, 0.85f);  // the hit brings the one
                if (k == 4 || k == 12) s.snare(t, 0.5f);
                if (k == 14) s.hat(t, 0.12f, 9.0f, 0.35f);
                else s.hat(t, k % 2 ? 0.07f : 0.13f, 55.0f, k % 4 < 2 ? 0.3f : -0.2f);
                if (riff[k] >= 0) s.bass(t, sixteenth * 0.8, h.root + riff[k], 0.24f);
            }
            for (int e = 0; e < 8; ++e) {
                if (melody[bar][e] < 0) continue;
                int len = 1;
                while (e + len < 8 && melody[bar][e + len] < 0 && len < 2) ++len;
                s.lead(t0 + e * 2 * sixteenth, len * 2 * sixteenth * 0.9, melody[bar][e], 0.12f, 0.1f);
            }
        }
    }

    // Part 29: the closing hit rings into part 30.
    s.hit(76.9, 1.25f, {45, 57, 64, 69, 71, 72});
    s.stab(76.9, {57, 64, 69, 71, 76}, 0.25f, 0.7f);
    s.pad(76.9, 2.0, {57, 64, 71, 72}, 0.06f);

    // Outro from part 30: slow sine chords, a low drone and sparse bells.
    if (s.length() > s.index(kOutroStart)) {
        double end = double(s.length()) / kRate;
        const Chord chords[] = {{57, 64, 71, 72}, {53, 60, 64, 69}, {48, 55, 64, 71}, {55, 59, 62, 64}, {50, 57, 60, 65}};
        const double span = 16.0;
        int c = 0;
        for (double t = kOutroStart; t < end; t += span, ++c)
            s.sinePad(t, span, chords[c % 5], 0.11f, 5.0f);
        s.sinePad(kOutroStart, end - kOutroStart, {33, 45}, 0.1f, 8.0f);
        Rng rng(4242);
        const int pentatonic[] = {69, 72, 74, 76, 79, 81, 84, 86, 88};
        for (double t = kOutroStart + 1.0; t < end - 6.0; t += 2.0 + 5.0 * rng.uniform())
            s.bell(t, pentatonic[rng.next() % 9], 0.06f + 0.04f * rng.uniform(), rng.bipolar() * 0.7f);
    }
}

bool encodeMp3(const std::string& path, const std::vector<int16_t>& pcm) {
    lame_global_flags* lame = lame_init();
    if (!lame) return false;
    lame_set_in_samplerate(lame, kRate);
    lame_set_out_samplerate(lame, kRate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, 128);
    lame_set_quality(lame, 7);
    lame_set_write_id3tag_automatic(lame, 0);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        std::fprintf(stderr, "datagen: the MP3 encoder refused its settings\n");
        return false;
    }
    std::vector<uint8_t> out;
    const int chunk = 1152 * 32;
    std::vector<uint8_t> buffer(size_t(chunk) * 5 / 4 + 7200);
    size_t frames = pcm.size() / 2;
    for (size_t at = 0; at < frames; at += chunk) {
        int count = int(std::min<size_t>(chunk, frames - at));
        int n = lame_encode_buffer_interleaved(lame, const_cast<short*>(&pcm[at * 2]), count, buffer.data(), int(buffer.size()));
        if (n < 0) {
            lame_close(lame);
            return false;
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    }
    int n = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
    if (n > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + n);
    // The info frame (length, encoder delay and padding) replaces the
    // placeholder frame the encoder left at the start.
    std::vector<uint8_t> tag(4096);
    size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
    if (tagSize > 0 && tagSize <= out.size()) std::copy(tag.begin(), tag.begin() + long(tagSize), out.begin());
    lame_close(lame);
    return writeBytes(path, out);
}

}  // namespace

bool generateMusic(const std::string& dir, double seconds) {
    Song song(seconds);
    compose(song);
    double fadeEnd = seconds - 0.3, fadeStart = std::max(kOutroStart, fadeEnd - 22.0);
    std::vector<int16_t> pcm = song.finish(seconds >= kTrackSeconds ? fadeStart : seconds, fadeEnd + 1.0);
    return encodeMp3(dir + "/qv3.mp3", pcm);
}

}  // namespace datagen
