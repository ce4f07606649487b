// Writes a whisper.cpp ggml model with random weights, for tests and benchmarks where no real
// model can be had. The encoder is fully random, so it costs what a real one of the same shape
// costs. The decoder is arranged so that it writes a fixed handful of words and then its end
// token: a decoder of random weights may never end and would run to the token limit.
//
// How the decoder ends: whisper ties the output projection to the token embedding, so a token's
// logit is its embedding row dotted with the final layer-normed residual stream. The blocks'
// output projections are zero, so that stream is the input token's embedding plus the position's
// embedding. Each position below the end gets its own direction in the embedding space (a +/-
// pair of dimensions, which has zero mean and so survives the layer norm); the word for that
// position has its embedding row along that direction, and every position from the end on shares
// one more direction, which the end token's row points along. Position embeddings are ten times
// the word rows, so the position, not the previous word, decides the next token.
//
//   whisper-random-model --shape tiny|base|mini [--multilingual] [--end N] [--seed S] OUT
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Shape {
    int32_t nVocab, nAudioCtx, nAudioState, nAudioHead, nAudioLayer;
    int32_t nTextCtx, nTextState, nTextHead, nTextLayer, nMels;
};

constexpr int32_t ggmlMagic = 0x67676d6c;
constexpr int32_t typeF32 = 0;
constexpr int32_t typeF16 = 1;
constexpr int32_t melFftBins = 201;
constexpr float wordScale = 4.0f;
constexpr float positionScale = 40.0f;

const char* const words[] = {" lorem",   " ipsum",  " dolor",  " sit",  " amet",
                             " consect", " adipis", " elit",   " sed",  " do",
                             " eiusmod", " tempor", " incid",  " ut",   " labore",
                             " et",      " magna",  " aliqua", " enim", " minim"};
constexpr int wordCount = sizeof(words) / sizeof(words[0]);
constexpr int firstWordId = 1000;

uint16_t toHalf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t sign = (bits >> 16) & 0x8000u;
    const int32_t exponent = static_cast<int32_t>((bits >> 23) & 0xff) - 127 + 15;
    uint32_t mantissa = bits & 0x7fffffu;
    if (exponent <= 0) {
        if (exponent < -10) {
            return static_cast<uint16_t>(sign);
        }
        mantissa |= 0x800000u;
        const int shift = 14 - exponent;
        uint32_t half = mantissa >> shift;
        if ((mantissa >> (shift - 1)) & 1u) {
            ++half;
        }
        return static_cast<uint16_t>(sign | half);
    }
    if (exponent >= 31) {
        return static_cast<uint16_t>(sign | 0x7c00u);
    }
    uint32_t half = (static_cast<uint32_t>(exponent) << 10) | (mantissa >> 13);
    if (mantissa & 0x1000u) {
        ++half;  // rounding may carry into the exponent, which is still the right value
    }
    return static_cast<uint16_t>(sign | half);
}

// xorshift: fast enough for the hundred million values of the base shape.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 2654435761u + 1) {}
    // Uniform in [-scale, scale].
    float next(float scale) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        const double unit = static_cast<double>(state_ >> 11) / static_cast<double>(1ull << 53);
        return static_cast<float>((unit * 2.0 - 1.0) * scale);
    }

private:
    uint64_t state_;
};

class Writer {
public:
    explicit Writer(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {}
    bool ok() const { return static_cast<bool>(out_); }

    void i32(int32_t v) { out_.write(reinterpret_cast<const char*>(&v), sizeof v); }
    void f32(float v) { out_.write(reinterpret_cast<const char*>(&v), sizeof v); }
    void bytes(const std::string& s) {
        out_.write(s.data(), static_cast<std::streamsize>(s.size()));
    }

    // values in ggml order: dims[0] varies fastest.
    void tensor(const std::string& name, std::vector<int32_t> dims, const std::vector<float>& v,
                bool half) {
        i32(static_cast<int32_t>(dims.size()));
        i32(static_cast<int32_t>(name.size()));
        i32(half ? typeF16 : typeF32);
        for (int32_t d : dims) {
            i32(d);
        }
        bytes(name);
        if (half) {
            std::vector<uint16_t> h(v.size());
            for (size_t i = 0; i < v.size(); ++i) {
                h[i] = toHalf(v[i]);
            }
            out_.write(reinterpret_cast<const char*>(h.data()),
                       static_cast<std::streamsize>(h.size() * 2));
        } else {
            out_.write(reinterpret_cast<const char*>(v.data()),
                       static_cast<std::streamsize>(v.size() * 4));
        }
    }

private:
    std::ofstream out_;
};

std::vector<float> filled(size_t n, float value) {
    return std::vector<float>(n, value);
}

std::vector<float> random(Random& rng, size_t n, float scale) {
    std::vector<float> v(n);
    for (float& x : v) {
        x = rng.next(scale);
    }
    return v;
}

// Direction `slot`: +1 at dimension 2*slot, -1 at 2*slot+1, scaled to length `length`.
void addDirection(float* row, int slot, float length) {
    const float component = length / std::sqrt(2.0f);
    row[2 * slot] += component;
    row[2 * slot + 1] -= component;
}

void writeBlock(Writer& w, Random& rng, const std::string& p, int32_t n, bool decoder) {
    const auto s = static_cast<size_t>(n);
    const float scale = 1.0f / std::sqrt(static_cast<float>(n));
    const auto projections = [&](const std::string& a, bool silent) {
        w.tensor(p + a + ".query.weight", {n, n}, random(rng, s * s, scale), true);
        w.tensor(p + a + ".query.bias", {n}, random(rng, s, 0.02f), false);
        w.tensor(p + a + ".key.weight", {n, n}, random(rng, s * s, scale), true);
        w.tensor(p + a + ".value.weight", {n, n}, random(rng, s * s, scale), true);
        w.tensor(p + a + ".value.bias", {n}, random(rng, s, 0.02f), false);
        // The decoder's blocks leave the residual stream alone (see the top of the file).
        w.tensor(p + a + ".out.weight", {n, n},
                 silent ? filled(s * s, 0.0f) : random(rng, s * s, scale), true);
        w.tensor(p + a + ".out.bias", {n}, silent ? filled(s, 0.0f) : random(rng, s, 0.02f), false);
    };
    w.tensor(p + "attn_ln.weight", {n}, filled(s, 1.0f), false);
    w.tensor(p + "attn_ln.bias", {n}, filled(s, 0.0f), false);
    projections("attn", decoder);
    if (decoder) {
        w.tensor(p + "cross_attn_ln.weight", {n}, filled(s, 1.0f), false);
        w.tensor(p + "cross_attn_ln.bias", {n}, filled(s, 0.0f), false);
        projections("cross_attn", true);
    }
    w.tensor(p + "mlp_ln.weight", {n}, filled(s, 1.0f), false);
    w.tensor(p + "mlp_ln.bias", {n}, filled(s, 0.0f), false);
    w.tensor(p + "mlp.0.weight", {n, 4 * n}, random(rng, s * s * 4, scale), true);
    w.tensor(p + "mlp.0.bias", {4 * n}, random(rng, s * 4, 0.02f), false);
    w.tensor(p + "mlp.2.weight", {4 * n, n},
             decoder ? filled(s * s * 4, 0.0f) : random(rng, s * s * 4, scale / 2), true);
    w.tensor(p + "mlp.2.bias", {n}, decoder ? filled(s, 0.0f) : random(rng, s, 0.02f), false);
}

bool shapeNamed(const std::string& name, bool multilingual, Shape& shape) {
    const int32_t vocab = multilingual ? 51865 : 51864;
    if (name == "tiny") {
        shape = {vocab, 1500, 384, 6, 4, 448, 384, 6, 4, 80};
    } else if (name == "base") {
        shape = {vocab, 1500, 512, 8, 6, 448, 512, 8, 6, 80};
    } else if (name == "mini") {
        shape = {vocab, 1500, 64, 2, 1, 448, 64, 2, 1, 80};
    } else {
        return false;
    }
    return true;
}

int usage() {
    std::cerr << "usage: whisper-random-model --shape tiny|base|mini [--multilingual] [--end N] "
                 "[--seed S] OUT\n"
                 "  --end N  decoder position from which the end token wins (default 6)\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string shapeName, out;
    bool multilingual = false;
    int endPosition = 6;
    uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--shape" && i + 1 < argc) {
            shapeName = argv[++i];
        } else if (arg == "--multilingual") {
            multilingual = true;
        } else if (arg == "--end" && i + 1 < argc) {
            endPosition = std::stoi(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::stoull(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && out.empty()) {
            out = arg;
        } else {
            return usage();
        }
    }
    Shape shape{};
    if (out.empty() || !shapeNamed(shapeName, multilingual, shape)) {
        return usage();
    }
    const int32_t n = shape.nTextState;
    if (endPosition < 1 || 2 * (endPosition + 1) > n || endPosition >= shape.nTextCtx) {
        std::cerr << "whisper-random-model: --end must be between 1 and " << n / 2 - 1 << "\n";
        return 2;
    }

    Writer w(out);
    if (!w.ok()) {
        std::cerr << "whisper-random-model: cannot write " << out << "\n";
        return 1;
    }
    Random rng(seed);

    w.i32(ggmlMagic);
    for (int32_t v : {shape.nVocab, shape.nAudioCtx, shape.nAudioState, shape.nAudioHead,
                      shape.nAudioLayer, shape.nTextCtx, shape.nTextState, shape.nTextHead,
                      shape.nTextLayer, shape.nMels, typeF16}) {
        w.i32(v);
    }

    // Mel filter bank: any positive weights will do.
    w.i32(shape.nMels);
    w.i32(melFftBins);
    for (int i = 0; i < shape.nMels * melFftBins; ++i) {
        w.f32(std::fabs(rng.next(0.02f)));
    }

    // Vocabulary up to the end token; whisper.cpp names the special tokens after it itself.
    // Single bytes first, so that any prompt text can be tokenised.
    const int32_t eot = multilingual ? 50257 : 50256;
    w.i32(eot);
    for (int32_t id = 0; id < eot; ++id) {
        std::string word;
        if (id < 256) {
            word.assign(1, static_cast<char>(id));
        } else if (id >= firstWordId && id < firstWordId + wordCount) {
            word = words[id - firstWordId];
        } else {
            word = "<" + std::to_string(id) + ">";
        }
        w.i32(static_cast<int32_t>(word.size()));
        w.bytes(word);
    }

    const auto ns = static_cast<size_t>(n);
    const auto as = static_cast<size_t>(shape.nAudioState);

    // Encoder.
    w.tensor("encoder.positional_embedding", {shape.nAudioState, shape.nAudioCtx},
             random(rng, as * static_cast<size_t>(shape.nAudioCtx), 0.1f), false);
    w.tensor("encoder.conv1.weight", {3, shape.nMels, shape.nAudioState},
             random(rng, 3 * static_cast<size_t>(shape.nMels) * as, 0.1f), true);
    w.tensor("encoder.conv1.bias", {1, shape.nAudioState}, random(rng, as, 0.02f), false);
    w.tensor("encoder.conv2.weight", {3, shape.nAudioState, shape.nAudioState},
             random(rng, 3 * as * as, 1.0f / std::sqrt(3.0f * static_cast<float>(as))), true);
    w.tensor("encoder.conv2.bias", {1, shape.nAudioState}, random(rng, as, 0.02f), false);
    for (int l = 0; l < shape.nAudioLayer; ++l) {
        writeBlock(w, rng, "encoder.blocks." + std::to_string(l) + ".", shape.nAudioState, false);
    }
    w.tensor("encoder.ln_post.weight", {shape.nAudioState}, filled(as, 1.0f), false);
    w.tensor("encoder.ln_post.bias", {shape.nAudioState}, filled(as, 0.0f), false);

    // Decoder: positions and tokens as described at the top.
    const int endSlot = endPosition;
    std::vector<float> positions(ns * static_cast<size_t>(shape.nTextCtx), 0.0f);
    for (int p = 0; p < shape.nTextCtx; ++p) {
        addDirection(&positions[static_cast<size_t>(p) * ns], p < endPosition ? p : endSlot,
                     positionScale);
    }
    w.tensor("decoder.positional_embedding", {n, shape.nTextCtx}, positions, false);

    std::vector<float> tokens = random(rng, ns * static_cast<size_t>(shape.nVocab), 0.02f);
    for (int p = 0; p < endPosition; ++p) {
        // The output at position p chooses the token that follows it.
        const int word = firstWordId + p % wordCount;
        addDirection(&tokens[static_cast<size_t>(word) * ns], p, wordScale);
    }
    addDirection(&tokens[static_cast<size_t>(eot) * ns], endSlot, wordScale);
    w.tensor("decoder.token_embedding.weight", {n, shape.nVocab}, tokens, true);

    for (int l = 0; l < shape.nTextLayer; ++l) {
        writeBlock(w, rng, "decoder.blocks." + std::to_string(l) + ".", n, true);
    }
    w.tensor("decoder.ln.weight", {n}, filled(ns, 1.0f), false);
    w.tensor("decoder.ln.bias", {n}, filled(ns, 0.0f), false);

    if (!w.ok()) {
        std::cerr << "whisper-random-model: write failed for " << out << "\n";
        return 1;
    }
    return 0;
}
