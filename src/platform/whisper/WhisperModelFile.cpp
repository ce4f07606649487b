#include "platform/whisper/WhisperModelFile.h"

#include <QFile>
#include <QtEndian>

#include <ggml.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace {

constexpr quint32 ggmlMagic = 0x67676d6cu;
constexpr qint32 melFftBins = 201;  // whisper.cpp's 400-point FFT, bins 0 to Nyquist
constexpr qint32 maxTokenBytes = 1024;
constexpr qint32 maxTensorNameBytes = 256;
constexpr int maxTensorDims = 4;  // whisper.cpp reads the extents into an array of four

// Each value's range. whisper.cpp numbers its special tokens and languages after the three
// vocabularies whisper has (English, multilingual, large-v3), so n_vocab allows only those; the
// rest holds every published model (states 384 to 1280, 4 to 32 layers, 6 to 20 heads, 80 or
// 128 mels, windows of 1500 and 448) with room to spare, and no less than the decoder needs
// for its start tokens and prompt.
struct Bound {
    const char* name;
    qint32 value;
    qint32 min;
    qint32 max;
};

// A product of sizes, or none once a step overflows or a factor is negative: a crafted
// header must not wrap a huge size into a small one.
std::optional<qint64> product(std::initializer_list<qint64> factors) {
    qint64 result = 1;
    for (const qint64 factor : factors) {
        if (factor < 0 || __builtin_mul_overflow(result, factor, &result)) {
            return std::nullopt;
        }
    }
    return result;
}

// The in-memory type of whisper.cpp's large weights, as ggml_ftype_to_ggml_type() maps the
// header's ftype (which aborts on a value it does not know). Only the types whisper.cpp's
// converter and quantizer write.
std::optional<ggml_type> weightType(qint32 ftype) {
    if (ftype < 0 || ftype / GGML_QNT_VERSION_FACTOR > GGML_QNT_VERSION) {
        return std::nullopt;
    }
    switch (ftype % GGML_QNT_VERSION_FACTOR) {
        case GGML_FTYPE_ALL_F32:
            return GGML_TYPE_F32;
        case GGML_FTYPE_MOSTLY_F16:
            return GGML_TYPE_F16;
        case GGML_FTYPE_MOSTLY_Q4_0:
            return GGML_TYPE_Q4_0;
        case GGML_FTYPE_MOSTLY_Q4_1:
            return GGML_TYPE_Q4_1;
        case GGML_FTYPE_MOSTLY_Q5_0:
            return GGML_TYPE_Q5_0;
        case GGML_FTYPE_MOSTLY_Q5_1:
            return GGML_TYPE_Q5_1;
        case GGML_FTYPE_MOSTLY_Q8_0:
            return GGML_TYPE_Q8_0;
        case GGML_FTYPE_MOSTLY_Q2_K:
            return GGML_TYPE_Q2_K;
        case GGML_FTYPE_MOSTLY_Q3_K:
            return GGML_TYPE_Q3_K;
        case GGML_FTYPE_MOSTLY_Q4_K:
            return GGML_TYPE_Q4_K;
        case GGML_FTYPE_MOSTLY_Q5_K:
            return GGML_TYPE_Q5_K;
        case GGML_FTYPE_MOSTLY_Q6_K:
            return GGML_TYPE_Q6_K;
        default:
            return std::nullopt;
    }
}

// Bytes of a tensor of `type` whose rows have `rowLength` elements; none when a row is not a
// whole number of the type's blocks (ggml asserts on that) or the size overflows.
std::optional<qint64> tensorBytes(ggml_type type, qint64 rowLength,
                                  std::initializer_list<qint64> otherExtents) {
    const auto block = static_cast<qint64>(ggml_blck_size(type));
    const auto blockBytes = static_cast<qint64>(ggml_type_size(type));
    if (block <= 0 || blockBytes <= 0 || rowLength <= 0 || rowLength % block != 0) {
        return std::nullopt;
    }
    std::optional<qint64> bytes = product({rowLength / block, blockBytes});
    for (const qint64 extent : otherExtents) {
        bytes = bytes ? product({*bytes, extent}) : std::nullopt;
    }
    return bytes;
}

// Reads the file's little-endian fields in order, remembering whether one was cut off.
class FieldReader {
public:
    FieldReader(QFile& file, qint64 size) : file_(file), size_(size) {}

    bool readInt(qint32& value) {
        char bytes[4];
        if (file_.read(bytes, 4) != 4) {
            return false;
        }
        value = qFromLittleEndian<qint32>(bytes);
        return true;
    }
    // Moves `count` bytes on; false when the file ends before.
    bool skip(qint64 count) {
        return count >= 0 && count <= size_ - file_.pos() && file_.seek(file_.pos() + count);
    }
    qint64 pos() const { return file_.pos(); }
    bool atEnd() const { return file_.pos() >= size_; }

private:
    QFile& file_;
    qint64 size_;
};

}  // namespace

WhisperModelFile::WhisperModelFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK a FIFO would block the open until a writer came, for ever. A symbolic
    // link is followed as any open follows it; the check below is on what it leads to.
    fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        exists_ = error != ENOENT;
        problem_ = QString::fromLocal8Bit(std::strerror(error));
        return;
    }
    problem_ = check();
}

WhisperModelFile::~WhisperModelFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

QString WhisperModelFile::checkHeader(const Header& h) {
    const Bound bounds[] = {
        {"n_vocab", h.nVocab, 51864, 51866},        {"n_audio_ctx", h.nAudioCtx, 64, 3000},
        {"n_audio_state", h.nAudioState, 64, 4096}, {"n_audio_head", h.nAudioHead, 1, 64},
        {"n_audio_layer", h.nAudioLayer, 1, 64},    {"n_text_ctx", h.nTextCtx, 64, 1024},
        {"n_text_state", h.nTextState, 64, 4096},   {"n_text_head", h.nTextHead, 1, 64},
        {"n_text_layer", h.nTextLayer, 1, 64},      {"n_mels", h.nMels, 1, 256},
    };
    for (const Bound& bound : bounds) {
        if (bound.value < bound.min || bound.value > bound.max) {
            return QStringLiteral("%1 is %2; whisper models have %3 to %4")
                .arg(QLatin1String(bound.name))
                .arg(bound.value)
                .arg(bound.min)
                .arg(bound.max);
        }
    }
    // The encoder's output feeds the decoder's cross attention, and each head takes an equal
    // share of the state: ggml asserts on shapes that do not fit.
    if (h.nAudioState != h.nTextState) {
        return QStringLiteral("n_audio_state %1 and n_text_state %2 differ")
            .arg(h.nAudioState)
            .arg(h.nTextState);
    }
    if (h.nAudioState % h.nAudioHead != 0 || h.nTextState % h.nTextHead != 0) {
        return QStringLiteral("the state of %1 does not split into %2 and %3 heads")
            .arg(h.nAudioState)
            .arg(h.nAudioHead)
            .arg(h.nTextHead);
    }
    const std::optional<ggml_type> type = weightType(h.ftype);
    if (!type) {
        return QStringLiteral("ftype %1 is not a weight type whisper.cpp loads").arg(h.ftype);
    }
    if (h.nAudioState % ggml_blck_size(*type) != 0) {
        return QStringLiteral(
                   "%1 weights come in blocks of %2, which n_audio_state %3 is not "
                   "made of")
            .arg(QLatin1String(ggml_type_name(*type)))
            .arg(ggml_blck_size(*type))
            .arg(h.nAudioState);
    }
    return {};
}

std::optional<qint64> WhisperModelFile::weightBytes(const Header& h) {
    if (!checkHeader(h).isEmpty()) {
        return std::nullopt;
    }
    // The tensors whisper_model_load() creates: large matrices in the weight type, convolutions
    // in 16 bits unless everything is 32, the rest in 32 bits.
    const ggml_type wtype = *weightType(h.ftype);
    const ggml_type conv = wtype == GGML_TYPE_F32 ? GGML_TYPE_F32 : GGML_TYPE_F16;
    const ggml_type f32 = GGML_TYPE_F32;
    const qint64 audio = h.nAudioState;
    const qint64 text = h.nTextState;

    std::optional<qint64> total = 0;
    const auto add = [&total](std::optional<qint64> bytes, qint64 times = 1) {
        const std::optional<qint64> all = bytes ? product({*bytes, times}) : std::nullopt;
        if (!total || !all || __builtin_add_overflow(*total, *all, &*total)) {
            total = std::nullopt;
        }
    };
    // One attention: layer norm, query with bias, key, value with bias, output with bias.
    const auto attention = [&](qint64 n, qint64 times) {
        add(tensorBytes(f32, n, {}), 2 * times);
        add(tensorBytes(wtype, n, {n}), 4 * times);
        add(tensorBytes(f32, n, {}), 3 * times);
    };
    // The feed-forward part: layer norm, n to 4n with bias, 4n to n with bias.
    const auto mlp = [&](qint64 n, qint64 times) {
        add(tensorBytes(f32, n, {}), 2 * times);
        add(tensorBytes(wtype, n, {4 * n}), times);
        add(tensorBytes(f32, 4 * n, {}), times);
        add(tensorBytes(wtype, 4 * n, {n}), times);
        add(tensorBytes(f32, n, {}), times);
    };

    add(tensorBytes(f32, audio, {h.nAudioCtx}));
    add(tensorBytes(conv, 3, {h.nMels, audio}));
    add(tensorBytes(conv, 3, {audio, audio}));
    add(tensorBytes(f32, 1, {audio}), 2);
    add(tensorBytes(f32, audio, {}), 2);
    attention(audio, h.nAudioLayer);
    mlp(audio, h.nAudioLayer);

    add(tensorBytes(f32, text, {h.nTextCtx}));
    add(tensorBytes(wtype, text, {h.nVocab}));
    add(tensorBytes(f32, text, {}), 2);
    attention(text, 2 * static_cast<qint64>(h.nTextLayer));  // its own and the cross attention
    mlp(text, h.nTextLayer);
    return total;
}

QString WhisperModelFile::check() {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        return QStringLiteral("not a regular file");
    }
    // Regular files never block; whisper.cpp reads as from any other file.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);

    QFile file;
    if (!file.open(fd_, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        return file.errorString();
    }
    const qint64 size = status.st_size;
    FieldReader in(file, size);
    const QString incomplete = QStringLiteral("the file is incomplete");

    qint32 magic = 0;
    if (!in.readInt(magic) || static_cast<quint32>(magic) != ggmlMagic) {
        return QStringLiteral("not a whisper model (bad magic)");
    }
    Header h;
    for (qint32* field :
         {&h.nVocab, &h.nAudioCtx, &h.nAudioState, &h.nAudioHead, &h.nAudioLayer, &h.nTextCtx,
          &h.nTextState, &h.nTextHead, &h.nTextLayer, &h.nMels, &h.ftype}) {
        if (!in.readInt(*field)) {
            return incomplete;
        }
    }
    if (const QString problem = checkHeader(h); !problem.isEmpty()) {
        return problem;
    }

    qint32 melCount = 0, fftCount = 0;
    if (!in.readInt(melCount) || !in.readInt(fftCount)) {
        return incomplete;
    }
    // whisper.cpp computes the spectrogram with its own FFT size and hands the encoder n_mels
    // rows of it: filters of another shape are read past their end.
    if (melCount != h.nMels || fftCount != melFftBins) {
        return QStringLiteral("the mel filters are %1 x %2; the model needs %3 x %4")
            .arg(melCount)
            .arg(fftCount)
            .arg(h.nMels)
            .arg(melFftBins);
    }
    qint32 tokenCount = 0;
    if (!in.skip(qint64(melCount) * fftCount * 4) || !in.readInt(tokenCount)) {
        return incomplete;
    }
    if (tokenCount < 0 || tokenCount > h.nVocab) {
        return QStringLiteral("the vocabulary lists %1 tokens; n_vocab is %2")
            .arg(tokenCount)
            .arg(h.nVocab);
    }
    for (qint32 i = 0; i < tokenCount; ++i) {
        qint32 length = 0;
        if (!in.readInt(length)) {
            return incomplete;
        }
        if (length < 0 || length > maxTokenBytes) {
            return QStringLiteral("token %1 is %2 bytes long").arg(i).arg(length);
        }
        if (!in.skip(length)) {
            return incomplete;
        }
    }

    // Every weight the header announces has to be in the file: whisper.cpp allocates them all
    // before it reads the first one.
    const std::optional<qint64> weights = weightBytes(h);
    if (!weights) {
        return QStringLiteral("the weights' size overflows");
    }
    if (*weights > size - in.pos()) {
        return QStringLiteral("%1: the header announces %2 bytes of weights, %3 follow")
            .arg(incomplete)
            .arg(*weights)
            .arg(size - in.pos());
    }

    int tensors = 0;
    while (!in.atEnd()) {
        qint32 dims = 0, nameLength = 0, type = 0;
        if (!in.readInt(dims) || !in.readInt(nameLength) || !in.readInt(type)) {
            return incomplete;
        }
        if (dims < 1 || dims > maxTensorDims || nameLength < 1 || nameLength > maxTensorNameBytes ||
            type < 0 || type >= GGML_TYPE_COUNT) {
            return QStringLiteral("tensor %1 has a malformed header").arg(tensors);
        }
        const auto ggmlType = static_cast<ggml_type>(type);
        qint32 extents[maxTensorDims] = {};
        for (qint32 d = 0; d < dims; ++d) {
            if (!in.readInt(extents[d])) {
                return incomplete;
            }
        }
        std::optional<qint64> bytes = tensorBytes(
            ggmlType, extents[0],
            {dims > 1 ? extents[1] : 1, dims > 2 ? extents[2] : 1, dims > 3 ? extents[3] : 1});
        for (qint32 d = 1; d < dims; ++d) {
            if (extents[d] < 1) {
                bytes = std::nullopt;
            }
        }
        if (!bytes) {
            return QStringLiteral("tensor %1 has an impossible shape").arg(tensors);
        }
        if (!in.skip(nameLength) || !in.skip(*bytes)) {
            return incomplete;
        }
        ++tensors;
    }
    return tensors == 0 ? QStringLiteral("the file holds no weights") : QString();
}
