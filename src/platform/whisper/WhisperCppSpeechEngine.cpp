#include "platform/whisper/WhisperCppSpeechEngine.h"

#include "base/Log.h"
#include "platform/SpeechEngineError.h"
#include "platform/whisper/GraphicsDeviceChoice.h"
#include "platform/whisper/WhisperModelFile.h"

#include <QPointer>
#include <QPromise>

#include <qcoro/qcorofuture.h>

#include <ggml-backend.h>
#include <whisper.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

using Kind = SpeechEngineError::Kind;

struct WhisperCppSpeechEngine::Outcome {
    bool ok = true;
    Kind kind = Kind::failed;
    QString reason;
    QString text;
    // A model load or a look for the card: what it found.
    bool looked = false;
    bool loaded = false;  // false when the model was already there
    SpeechDevice device;
    QString graphicsCard;
    QString cardFailure;  // why the card was wanted and not used
};

// What the worker thread's jobs share with the engine; outlives the engine while a job runs.
struct WhisperCppSpeechEngine::Shared {
    whisper_context* context = nullptr;
    QString path;
    std::atomic<bool> abortRequested{false};
    int computeThreads = 1;
    bool softwareCounts = false;
    // The user's switch when the loaded model was loaded, and where it went.
    bool cardWanted = false;
    SpeechDevice device;
};

namespace {

constexpr int samplesPerFrame = 320;  // the encoder sees 50 frames per second of 16 kHz audio
constexpr int fullAudioContext = 1500;

// whisper.cpp and ggml write their progress to stderr; Quillo keeps its own log. The last error
// line is kept as the reason of a failed load.
thread_local std::string lastEngineError;

void engineLog(ggml_log_level level, const char* text, void*) {
    if (level == GGML_LOG_LEVEL_ERROR && text) {
        lastEngineError = text;
    }
}

std::shared_ptr<WhisperCppSpeechEngine::Outcome> failure(Kind kind, QString reason) {
    auto outcome = std::make_shared<WhisperCppSpeechEngine::Outcome>();
    outcome->ok = false;
    outcome->kind = kind;
    outcome->reason = std::move(reason);
    return outcome;
}

QString processorShortfall() {
#if defined(QUILLO_WHISPER_NEEDS_X86_64_V3) && defined(__x86_64__)
    __builtin_cpu_init();
    QStringList missing;
    if (!__builtin_cpu_supports("avx2")) {
        missing << QStringLiteral("AVX2");
    }
    if (!__builtin_cpu_supports("fma")) {
        missing << QStringLiteral("FMA");
    }
    if (!__builtin_cpu_supports("f16c")) {
        missing << QStringLiteral("F16C");
    }
    return missing.join(QLatin1String(", "));
#else
    return {};
#endif
}

void freeModel(WhisperCppSpeechEngine::Shared& shared) {
    if (shared.context) {
        whisper_free(shared.context);
        shared.context = nullptr;
        // Hand the freed model back to the system, not just to the allocator.
        malloc_trim(0);
    }
    shared.path.clear();
}

// whisper.cpp reads the model through this, from the file the check opened: a file put at the
// path after the check is not the one loaded.
struct OpenModel {
    int fd;
    qint64 offset = 0;
    bool ended = false;
};

size_t readModel(void* context, void* output, size_t size) {
    auto& model = *static_cast<OpenModel*>(context);
    auto* bytes = static_cast<char*>(output);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(model.fd, bytes + done, size - done, model.offset);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // As std::ifstream, which whisper.cpp expects, ends: nothing left unset behind.
            std::memset(bytes + done, 0, size - done);
            model.ended = true;
            break;
        }
        done += static_cast<size_t>(got);
        model.offset += got;
    }
    return size;
}

// ggml's own list of devices; the first call sets up every backend (for Vulkan a few hundred
// milliseconds), later ones are cheap.
GraphicsDeviceChoice::Choice findCard(bool softwareCounts) {
    QList<GraphicsDeviceChoice::Device> devices;
    for (size_t i = 0; i < ggml_backend_dev_count(); ++i) {
        ggml_backend_dev_t device = ggml_backend_dev_get(i);
        const enum ggml_backend_dev_type type = ggml_backend_dev_type(device);
        devices.append(GraphicsDeviceChoice::Device{
            QString::fromUtf8(ggml_backend_dev_description(device)),
            type == GGML_BACKEND_DEVICE_TYPE_GPU || type == GGML_BACKEND_DEVICE_TYPE_IGPU});
    }
    return GraphicsDeviceChoice::choose(devices, softwareCounts);
}

// whisper.cpp goes on silently on the processor when the card's backend does not start; starting
// it once here first tells the two apart. ggml keeps the device, so the second start is cheap.
bool cardStarts(const GraphicsDeviceChoice::Choice& card) {
    try {
        ggml_backend_t backend =
            ggml_backend_dev_init(ggml_backend_dev_get(size_t(card.registryIndex)), nullptr);
        if (!backend) {
            return false;
        }
        ggml_backend_free(backend);
        return true;
    } catch (const std::exception& e) {
        lastEngineError = e.what();
        return false;
    }
}

whisper_context* initModel(const WhisperModelFile& file, bool useCard, int cardOrdinal) {
    whisper_context_params params = whisper_context_default_params();
    params.use_gpu = useCard;
    params.gpu_device = useCard ? cardOrdinal : 0;
    lastEngineError.clear();
    OpenModel model{file.descriptor(), 0, false};
    whisper_model_loader loader{};
    loader.context = &model;
    loader.read = readModel;
    loader.eof = [](void* context) { return static_cast<OpenModel*>(context)->ended; };
    loader.close = [](void*) {};
    whisper_context* context = nullptr;
    try {
        context = whisper_init_with_params(&loader, params);
    } catch (const std::exception& e) {
        // whisper.cpp lets an allocation failure while it sets up its state escape.
        lastEngineError = e.what();
    }
    if (!context) {
        malloc_trim(0);
    }
    return context;
}

std::shared_ptr<WhisperCppSpeechEngine::Outcome> loadOnWorker(
    WhisperCppSpeechEngine::Shared& shared, const QString& path, bool cardWanted) {
    if (shared.context && shared.path == path && shared.cardWanted == cardWanted) {
        auto outcome = std::make_shared<WhisperCppSpeechEngine::Outcome>();
        outcome->device = shared.device;
        return outcome;
    }
    freeModel(shared);
    if (const QString missing = processorShortfall(); !missing.isEmpty()) {
        return failure(Kind::unsupportedProcessor, QStringLiteral("lacks ") + missing);
    }
    const WhisperModelFile file(path);
    if (!file.exists()) {
        return failure(Kind::modelMissing, path);
    }
    if (!file.problem().isEmpty()) {
        return failure(Kind::modelUnreadable, path + QStringLiteral(": ") + file.problem());
    }
    whisper_log_set(engineLog, nullptr);
    auto outcome = std::make_shared<WhisperCppSpeechEngine::Outcome>();
    outcome->looked = true;
    lastEngineError.clear();
    const GraphicsDeviceChoice::Choice card = findCard(shared.softwareCounts);
    outcome->graphicsCard = card.name;
    if (cardWanted && card.ordinal >= 0) {
        if (!cardStarts(card)) {
            outcome->cardFailure = QStringLiteral("it did not start");
        } else if ((shared.context = initModel(file, true, card.ordinal))) {
            outcome->device = SpeechDevice{true, card.name, 0};
        } else {
            // Out of video memory, mostly: the model goes to the processor for this load.
            outcome->cardFailure = QString::fromStdString(lastEngineError).trimmed();
            if (outcome->cardFailure.isEmpty()) {
                outcome->cardFailure = QStringLiteral("the model did not load on it");
            }
        }
    }
    if (!shared.context) {
        shared.context = initModel(file, false, 0);
        outcome->device = SpeechDevice{false, {}, shared.computeThreads};
    }
    if (!shared.context) {
        auto failed =
            failure(Kind::modelUnreadable, path + QStringLiteral(": ") +
                                               QString::fromStdString(lastEngineError).trimmed());
        failed->graphicsCard = outcome->graphicsCard;
        failed->cardFailure = outcome->cardFailure;
        return failed;
    }
    shared.path = path;
    shared.cardWanted = cardWanted;
    shared.device = outcome->device;
    outcome->loaded = true;
    return outcome;
}

const char* languageFor(whisper_context* context, const QByteArray& requested) {
    if (!whisper_is_multilingual(context)) {
        return "en";  // an English-only model transcribes English whatever is asked
    }
    if (requested.isEmpty() || requested == "auto" || whisper_lang_id(requested.constData()) < 0) {
        return "auto";
    }
    return requested.constData();
}

std::shared_ptr<WhisperCppSpeechEngine::Outcome> transcribeOnWorker(
    WhisperCppSpeechEngine::Shared& shared, const SpeechEngine::Request& request) {
    if (shared.abortRequested) {
        return failure(Kind::aborted, {});
    }
    if (!shared.context) {
        return failure(Kind::failed, QStringLiteral("no model loaded"));
    }
    auto outcome = std::make_shared<WhisperCppSpeechEngine::Outcome>();
    if (request.samples.empty()) {
        return outcome;
    }
    const QByteArray language = request.language.toUtf8();
    const QByteArray prompt = request.initialPrompt.toUtf8();

    whisper_full_params params = whisper_full_default_params(WHISPER_SAMPLING_GREEDY);
    params.n_threads = shared.computeThreads;
    params.no_timestamps = true;
    params.print_special = false;
    params.print_progress = false;
    params.print_realtime = false;
    params.print_timestamps = false;
    params.language = languageFor(shared.context, language);
    params.detect_language = false;
    params.initial_prompt = prompt.isEmpty() ? nullptr : prompt.constData();
    params.audio_ctx = request.matchAudioContext
                           ? WhisperCppSpeechEngine::matchingAudioContext(request.samples.size())
                           : 0;
    params.abort_callback = [](void* flag) {
        return static_cast<std::atomic<bool>*>(flag)->load();
    };
    params.abort_callback_user_data = &shared.abortRequested;
    params.encoder_begin_callback = [](whisper_context*, whisper_state*, void* flag) {
        return !static_cast<std::atomic<bool>*>(flag)->load();
    };
    params.encoder_begin_callback_user_data = &shared.abortRequested;

    const int status = whisper_full(shared.context, params, request.samples.data(),
                                    static_cast<int>(request.samples.size()));
    if (shared.abortRequested) {
        return failure(Kind::aborted, {});
    }
    if (status != 0) {
        return failure(Kind::failed, QStringLiteral("whisper_full returned %1").arg(status));
    }
    QString text;
    const int segments = whisper_full_n_segments(shared.context);
    for (int i = 0; i < segments; ++i) {
        text += QString::fromUtf8(whisper_full_get_segment_text(shared.context, i));
    }
    outcome->text = text.trimmed();
    return outcome;
}

void throwIfFailed(const WhisperCppSpeechEngine::Outcome& outcome) {
    if (!outcome.ok) {
        throw SpeechEngineError(outcome.kind, outcome.reason);
    }
}

}  // namespace

WhisperCppSpeechEngine::WhisperCppSpeechEngine(int computeThreads)
    : shared_(std::make_shared<Shared>()), worker_(new QObject) {
    shared_->computeThreads =
        computeThreads > 0 ? computeThreads : std::max(1, QThread::idealThreadCount());
    device_.threads = shared_->computeThreads;
    thread_.setObjectName(QStringLiteral("speech-engine"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

WhisperCppSpeechEngine::~WhisperCppSpeechEngine() {
    shared_->abortRequested = true;
    std::shared_ptr<Shared> shared = shared_;
    QMetaObject::invokeMethod(
        worker_, [shared] { freeModel(*shared); }, Qt::QueuedConnection);
    thread_.quit();
    thread_.wait();
}

QFuture<std::shared_ptr<WhisperCppSpeechEngine::Outcome>> WhisperCppSpeechEngine::onWorker(
    std::function<std::shared_ptr<Outcome>()> work) {
    auto promise = std::make_shared<QPromise<std::shared_ptr<Outcome>>>();
    QFuture<std::shared_ptr<Outcome>> future = promise->future();
    promise->start();
    QMetaObject::invokeMethod(
        worker_,
        [promise, work = std::move(work)] {
            promise->addResult(work());
            promise->finish();
        },
        Qt::QueuedConnection);
    return future;
}

QCoro::Task<void> WhisperCppSpeechEngine::load(QString modelPath) {
    std::shared_ptr<Shared> shared = shared_;
    const bool cardWanted = cardWanted_ ? cardWanted_() : true;
    QFuture<std::shared_ptr<Outcome>> job = onWorker(
        [shared, modelPath, cardWanted] { return loadOnWorker(*shared, modelPath, cardWanted); });
    const std::shared_ptr<Outcome> outcome = co_await job;
    loadedModel_ = outcome->ok ? modelPath : QString();
    report(*outcome);
    throwIfFailed(*outcome);
}

QCoro::Task<void> WhisperCppSpeechEngine::findGraphicsCard() {
    std::shared_ptr<Shared> shared = shared_;
    const bool cardWanted = cardWanted_ ? cardWanted_() : true;
    QFuture<std::shared_ptr<Outcome>> job = onWorker([shared, cardWanted] {
        auto outcome = std::make_shared<Outcome>();
        outcome->looked = true;
        outcome->graphicsCard = findCard(shared->softwareCounts).name;
        // Without a model, where the next load would go.
        if (shared->context) {
            outcome->device = shared->device;
        } else if (cardWanted && !outcome->graphicsCard.isEmpty()) {
            outcome->device = SpeechDevice{true, outcome->graphicsCard, 0};
        } else {
            outcome->device = SpeechDevice{false, {}, shared->computeThreads};
        }
        return outcome;
    });
    report(*co_await job);
}

void WhisperCppSpeechEngine::report(const Outcome& outcome) {
    if (!outcome.cardFailure.isEmpty()) {
        Log::line(QStringLiteral("[Quillo] The graphics card %1 failed, the speech model goes to "
                                 "the processor this time: %2")
                      .arg(outcome.graphicsCard, outcome.cardFailure));
    }
    if (outcome.loaded) {
        Log::line(outcome.device.graphicsCard
                      ? QStringLiteral("[Quillo] Speech model on the graphics card: %1")
                            .arg(outcome.device.name)
                      : QStringLiteral("[Quillo] Speech model on the processor (%1 threads)")
                            .arg(outcome.device.threads));
    }
    if (!outcome.ok && !outcome.looked) {
        return;
    }
    const SpeechDevice device = outcome.ok ? outcome.device : device_;
    const bool changed = device != device_ || outcome.graphicsCard != graphicsCard_;
    device_ = device;
    if (outcome.looked) {
        graphicsCard_ = outcome.graphicsCard;
    }
    if (changed && observer_) {
        observer_();
    }
}

void WhisperCppSpeechEngine::countSoftwareRendererAsCard() {
    shared_->softwareCounts = true;
}

QCoro::Task<QString> WhisperCppSpeechEngine::transcribe(Request request) {
    std::shared_ptr<Shared> shared = shared_;
    shared->abortRequested = false;
    auto sharedRequest = std::make_shared<const Request>(std::move(request));
    QFuture<std::shared_ptr<Outcome>> job =
        onWorker([shared, sharedRequest] { return transcribeOnWorker(*shared, *sharedRequest); });
    const std::shared_ptr<Outcome> outcome = co_await job;
    throwIfFailed(*outcome);
    co_return outcome->text;
}

void WhisperCppSpeechEngine::abort() {
    shared_->abortRequested = true;
}

QCoro::Task<void> WhisperCppSpeechEngine::unload() {
    loadedModel_.clear();
    std::shared_ptr<Shared> shared = shared_;
    QFuture<std::shared_ptr<Outcome>> job = onWorker([shared] {
        freeModel(*shared);
        return std::make_shared<Outcome>();
    });
    co_await job;
    loadedModel_.clear();  // a load that finished before this unload had set it again
}

int WhisperCppSpeechEngine::matchingAudioContext(size_t sampleCount) {
    const auto frames = static_cast<int>((sampleCount + samplesPerFrame - 1) / samplesPerFrame);
    const int withMargin = ((frames + 32 + 31) / 32) * 32;
    return std::min(withMargin, fullAudioContext);
}

void WhisperCppSpeechEngine::disableCrashDebugger() {
    // ggml_print_backtrace(), which starts the debugger, reads this each time it runs: on an
    // abort and, where ggml is a shared library, from the std::terminate handler it installs
    // while loading, before main().
    ::setenv("GGML_NO_BACKTRACE", "1", 1);
    // With a callback of its own an abort does not reach ggml_print_backtrace() at all.
    ggml_set_abort_callback(
        [](const char* message) { std::fprintf(stderr, "ggml: %s\n", message); });
}

QString WhisperCppSpeechEngine::missingProcessorFeatures() {
    return processorShortfall();
}
