#include "Sounds.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Geometry.h"
#include "Output.h"

namespace contentgen {

namespace {

constexpr int kRate = 22050;
constexpr float kTwoPi = 2 * kPi;

using Samples = std::vector<float>;

void Put16(std::string& s, uint16_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, static_cast<uint16_t>(v & 0xFFFF));
    Put16(s, static_cast<uint16_t>(v >> 16));
}

// Takes out the mean, scales the peak to `peak` of full scale and writes a WAVE file.
std::string Wave(Samples x, float peak) {
    double mean = 0;
    for (float v : x) {
        mean += v;
    }
    mean /= std::max<size_t>(1, x.size());
    float top = 1e-9f;
    for (float& v : x) {
        v -= static_cast<float>(mean);
        top = std::max(top, std::fabs(v));
    }
    std::string data;
    for (float v : x) {
        long s = std::lround(v / top * peak * 32767.0f);
        s = std::clamp(s, -32767L, 32767L);
        Put16(data, static_cast<uint16_t>(static_cast<int16_t>(s)));
    }
    std::string w = "RIFF";
    Put32(w, static_cast<uint32_t>(36 + data.size()));
    w += "WAVEfmt ";
    Put32(w, 16);
    Put16(w, 1);  // PCM
    Put16(w, 1);  // mono
    Put32(w, kRate);
    Put32(w, kRate * 2);
    Put16(w, 2);
    Put16(w, 16);
    w += "data";
    Put32(w, static_cast<uint32_t>(data.size()));
    return w + data;
}

Samples Make(float seconds) {
    return Samples(static_cast<size_t>(seconds * kRate), 0.0f);
}

// Short fades at both ends so that a sound never starts or stops with a click.
void Fade(Samples& x, float in = 0.002f, float out = 0.02f) {
    size_t ni = static_cast<size_t>(in * kRate), no = static_cast<size_t>(out * kRate);
    for (size_t i = 0; i < ni && i < x.size(); ++i) {
        x[i] *= static_cast<float>(i) / ni;
    }
    for (size_t i = 0; i < no && i < x.size(); ++i) {
        x[x.size() - 1 - i] *= static_cast<float>(i) / no;
    }
}

// One-pole low-pass; `cutoff` in Hz may change per sample through the callback.
struct LowPass {
    float y = 0;
    float Step(float x, float cutoff) {
        float a = 1 - std::exp(-kTwoPi * cutoff / kRate);
        y += a * (x - y);
        return y;
    }
};

float Noise(Rng& rng) {
    return rng.Range(-1.0f, 1.0f);
}

// Player's laser gun: a quick falling zap.
Samples Laser() {
    Samples x = Make(0.22f);
    float phase = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float f = 300 + 1700 * std::exp(-t * 18) + 40 * std::sin(kTwoPi * 45 * t);
        phase += kTwoPi * f / kRate;
        float tone = std::sin(phase) + 0.35f * std::sin(2 * phase + 0.5f);
        x[i] = tone * std::exp(-t * 14);
    }
    Fade(x);
    return x;
}

// Rocket launch: a hiss with a low thump, rising then fading.
Samples Shoot() {
    Samples x = Make(0.6f);
    Rng rng(11);
    LowPass lp, thump;
    float phase = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float hiss =
            lp.Step(Noise(rng), 600 + 3000 * std::exp(-t * 4)) * std::min(1.0f, t * 30) * std::exp(-t * 5);
        phase += kTwoPi * (90 - 40 * t) / kRate;
        float low = thump.Step(std::sin(phase), 400) * std::exp(-t * 12);
        x[i] = 1.4f * hiss + 0.9f * low;
    }
    Fade(x);
    return x;
}

// Explosion: a noise burst through a closing filter over a low rumble.
Samples Bang() {
    Samples x = Make(1.2f);
    Rng rng(12);
    LowPass lp1, lp2, rumble;
    for (size_t i = 0; i < x.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float n = Noise(rng);
        float crack = lp1.Step(n, 4000) * std::exp(-t * 30);
        float body = lp2.Step(n, 200 + 1800 * std::exp(-t * 5)) * std::exp(-t * 3.5f);
        float low = rumble.Step(n, 80) * std::exp(-t * 2.5f) * 6;
        x[i] = crack * 0.8f + body * 1.6f + low;
    }
    Fade(x, 0.001f, 0.1f);
    return x;
}

// A shell ringing off armour: inharmonic partials with a click.
Samples MetalBang() {
    Samples x = Make(0.5f);
    Rng rng(13);
    const float partials[] = {523, 1187, 1764, 2533, 3371};
    const float decay[] = {9, 12, 15, 20, 26};
    for (size_t i = 0; i < x.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        float v = 0;
        for (int k = 0; k < 5; ++k) {
            v += std::sin(kTwoPi * partials[k] * t + k) * std::exp(-t * decay[k]) / (1 + 0.4f * k);
        }
        v += Noise(rng) * std::exp(-t * 120) * 1.5f;
        x[i] = v;
    }
    Fade(x, 0.001f, 0.03f);
    return x;
}

// Pick-up: a bright rising arpeggio.
Samples Bonus() {
    Samples x = Make(0.55f);
    const float notes[] = {659.3f, 830.6f, 987.8f, 1318.5f};
    for (int n = 0; n < 4; ++n) {
        size_t start = static_cast<size_t>(n * 0.08f * kRate);
        for (size_t i = start; i < x.size(); ++i) {
            float t = static_cast<float>(i - start) / kRate;
            float env = std::min(1.0f, t * 400) * std::exp(-t * (n == 3 ? 6.0f : 14.0f));
            float p = kTwoPi * notes[n] * t;
            x[i] += env * (std::sin(p) + 0.3f * std::sin(2 * p) + 0.15f * std::sin(3 * p));
        }
    }
    Fade(x);
    return x;
}

// Bricks crumbling: a handful of short gritty grains.
Samples WallDestroy() {
    Samples x = Make(0.6f);
    Rng rng(14);
    for (int g = 0; g < 9; ++g) {
        size_t start = static_cast<size_t>(rng.Range(0, 0.3f) * kRate);
        float cutoff = rng.Range(500, 2500), gain = rng.Range(0.4f, 1.0f), rate = rng.Range(18, 40);
        LowPass lp;
        for (size_t i = start; i < x.size(); ++i) {
            float t = static_cast<float>(i - start) / kRate;
            x[i] += lp.Step(Noise(rng), cutoff) * gain * std::exp(-t * rate);
        }
    }
    LowPass thud;
    for (size_t i = 0; i < x.size(); ++i) {
        float t = static_cast<float>(i) / kRate;
        x[i] += thud.Step(Noise(rng), 120) * std::exp(-t * 10) * 4;
    }
    Fade(x);
    return x;
}

// --- Music: 16 bars at 120 beats per minute, 32 seconds, in A minor. Every note is written into a
// circular buffer, so the tails of the last bar ring on into the first and the loop has no seam. ---

struct Loop {
    Samples x;
    void Add(size_t at, float v) { x[at % x.size()] += v; }
};

float MidiHz(int note) {
    return 440.0f * std::pow(2.0f, (note - 69) / 12.0f);
}

void Kick(Loop& l, size_t at) {
    float phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.3f * kRate); ++i) {
        float t = static_cast<float>(i) / kRate;
        phase += kTwoPi * (50 + 110 * std::exp(-t * 30)) / kRate;
        l.Add(at + i, std::sin(phase) * std::exp(-t * 9) * 0.9f);
    }
}

void Snare(Loop& l, size_t at, Rng& rng) {
    LowPass lp;
    for (size_t i = 0; i < static_cast<size_t>(0.2f * kRate); ++i) {
        float t = static_cast<float>(i) / kRate;
        float n = Noise(rng);
        float bright = n - lp.Step(n, 1500);
        l.Add(at + i, (bright * 0.5f + 0.25f * std::sin(kTwoPi * 190 * t)) * std::exp(-t * 18));
    }
}

void Hat(Loop& l, size_t at, Rng& rng, float gain) {
    LowPass lp;
    for (size_t i = 0; i < static_cast<size_t>(0.05f * kRate); ++i) {
        float t = static_cast<float>(i) / kRate;
        float n = Noise(rng);
        l.Add(at + i, (n - lp.Step(n, 6000)) * std::exp(-t * 70) * gain);
    }
}

void Bass(Loop& l, size_t at, float seconds, int note) {
    float f = MidiHz(note), phase = 0;
    LowPass lp;
    size_t n = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < n + kRate / 20; ++i) {
        float t = static_cast<float>(i) / kRate;
        phase += f / kRate;
        float saw = 2 * (phase - std::floor(phase)) - 1;
        float env =
            std::min(1.0f, t * 300) * (i < n ? 1.0f : std::exp(-(t - seconds) * 60)) * std::exp(-t * 2);
        l.Add(at + i, lp.Step(saw, 300 + 900 * std::exp(-t * 12)) * env * 0.55f);
    }
}

void Lead(Loop& l, size_t at, float seconds, int note, float gain) {
    float f = MidiHz(note);
    size_t n = static_cast<size_t>(seconds * kRate);
    LowPass lp;
    for (size_t i = 0; i < n + kRate / 8; ++i) {
        float t = static_cast<float>(i) / kRate;
        float vib = 1 + 0.004f * std::sin(kTwoPi * 5.5f * t) * std::min(1.0f, t * 4);
        float p = f * vib * t;
        float sq = (p - std::floor(p)) < 0.5f ? 1.0f : -1.0f;
        float env = std::min(1.0f, t * 200) * (i < n ? 1.0f : std::exp(-(t - seconds) * 30)) *
                    (0.7f + 0.3f * std::exp(-t * 6));
        l.Add(at + i, lp.Step(sq, 2500) * env * gain);
    }
}

void Pad(Loop& l, size_t at, float seconds, const int* notes, int count) {
    size_t n = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < n; ++i) {
        float t = static_cast<float>(i) / kRate;
        float env = std::min(1.0f, t * 8) * std::min(1.0f, (seconds - t) * 8);
        float v = 0;
        for (int k = 0; k < count; ++k) {
            float f = MidiHz(notes[k]);
            v += std::sin(kTwoPi * f * t) + 0.3f * std::sin(kTwoPi * f * 1.003f * t * 2);
        }
        l.Add(at + i, v * env * 0.06f);
    }
}

}  // namespace

void WriteSounds(Output& out) {
    out.Write("Sound/shoot.ogg", Wave(Shoot(), 0.85f));
    out.Write("Sound/bang.ogg", Wave(Bang(), 0.9f));
    out.Write("Sound/metal_bang.ogg", Wave(MetalBang(), 0.8f));
    out.Write("Sound/bonus.wav", Wave(Bonus(), 0.75f));
    out.Write("Sound/laser.wav", Wave(Laser(), 0.7f));
    out.Write("Sound/wall_dest.wav", Wave(WallDestroy(), 0.85f));
}

void WriteMusic(Output& out) {
    const float beat = 0.5f;  // 120 beats per minute
    const int bars = 16;
    const size_t beatSamples = static_cast<size_t>(beat * kRate);
    Loop l;
    l.x = Samples(beatSamples * 4 * bars, 0.0f);
    Rng rng(99);
    // Am, F, C, G, two bars each, twice.
    const int roots[4] = {45, 41, 48, 43};
    const int chords[4][3] = {{57, 60, 64}, {53, 57, 60}, {55, 60, 64}, {55, 59, 62}};
    // An eight-note motif of chord tones (0-2 the chord, 3-5 an octave up), varied every phrase.
    const int motif[2][8] = {{0, 1, 2, 1, 3, 2, 1, 2}, {3, 2, 4, 3, 2, 1, 2, 0}};
    for (int bar = 0; bar < bars; ++bar) {
        int chord = (bar / 2) % 4;
        size_t barStart = static_cast<size_t>(bar) * 4 * beatSamples;
        for (int b = 0; b < 4; ++b) {
            size_t at = barStart + b * beatSamples;
            Kick(l, at);
            if (b == 1 || b == 3) {
                Snare(l, at, rng);
            }
            Hat(l, at + beatSamples / 2, rng, 0.35f);
            Hat(l, at, rng, 0.15f);
        }
        if (bar % 8 == 7) {  // a fill at the end of each phrase
            Snare(l, barStart + 3 * beatSamples + beatSamples / 2, rng);
            Kick(l, barStart + 3 * beatSamples + beatSamples / 2);
        }
        for (int e = 0; e < 8; ++e) {  // driving eighth-note bass
            int note = roots[chord] + ((e % 4 == 3) ? 12 : 0);
            Bass(l, barStart + e * beatSamples / 2, beat / 2 * 0.8f, note);
        }
        Pad(l, barStart, beat * 4, chords[chord], 3);
        if (bar >= 4) {  // the lead comes in after the intro
            const int* m = motif[(bar / 8) % 2];
            for (int e = 0; e < 8; ++e) {
                if (bar % 2 == 1 && e >= 6) {
                    continue;  // breathe at the end of each two bars
                }
                int note = chords[chord][m[e] % 3] + 12 * (m[e] / 3) + 12;
                Lead(l, barStart + e * beatSamples / 2, beat / 2 * 0.85f, note, 0.16f);
            }
        }
    }
    out.Write("Music/Exhilarate.wav", Wave(l.x, 0.8f));
}

}  // namespace contentgen
