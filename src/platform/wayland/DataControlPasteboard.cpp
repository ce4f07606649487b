#include "platform/wayland/DataControlPasteboard.h"

#include "base/Log.h"
#include "platform/wayland/PipeWriter.h"
#include "platform/wayland/SelectionReader.h"
#include "platform/wayland/WaylandConnection.h"

#include <qcoro/qcorosignal.h>

#include <algorithm>

#include <fcntl.h>
#include <unistd.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

const QString passwordHintFormat = QStringLiteral("x-kde-passwordManagerHint");

}  // namespace

struct DataControlPasteboard::Offer {
    zwlr_data_control_offer_v1* proxy = nullptr;
    QStringList formats;
    ~Offer() {
        if (proxy)
            zwlr_data_control_offer_v1_destroy(proxy);
    }
};

struct DataControlPasteboard::Source {
    DataControlPasteboard* owner = nullptr;
    zwlr_data_control_source_v1* proxy = nullptr;
    Contents contents;
    bool isOfferedText = false;
    std::function<void()> onFetched;
    ~Source() {
        if (proxy)
            zwlr_data_control_source_v1_destroy(proxy);
    }
};

DataControlPasteboard::DataControlPasteboard(WaylandConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection) {
    manager_ = static_cast<zwlr_data_control_manager_v1*>(
        connection_.bind(&zwlr_data_control_manager_v1_interface, 1));
    wl_seat* seat = connection_.seat();
    if (!manager_ || !seat)
        return;
    static const zwlr_data_control_device_v1_listener listener = {
        &DataControlPasteboard::onDataOffer, &DataControlPasteboard::onSelection,
        &DataControlPasteboard::onFinished, &DataControlPasteboard::onPrimarySelection};
    device_ = zwlr_data_control_manager_v1_get_data_device(manager_, seat);
    zwlr_data_control_device_v1_add_listener(device_, &listener, this);
    // The compositor answers with the current selection at once.
    connection_.roundtrip();
    connection_.watch();
}

DataControlPasteboard::~DataControlPasteboard() {
    offers_.clear();
    selection_.reset();
    sources_.clear();
    if (device_)
        zwlr_data_control_device_v1_destroy(device_);
    if (manager_)
        zwlr_data_control_manager_v1_destroy(manager_);
    connection_.flush();
}

bool DataControlPasteboard::isAvailable() const {
    return device_ != nullptr && connection_.isValid();
}

QStringList DataControlPasteboard::textFormats() {
    return {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain"),
            QStringLiteral("UTF8_STRING"), QStringLiteral("STRING"), QStringLiteral("TEXT")};
}

// --- events --------------------------------------------------------------------------------

void DataControlPasteboard::onDataOffer(void* data, zwlr_data_control_device_v1*,
                                        zwlr_data_control_offer_v1* proxy) {
    auto* self = static_cast<DataControlPasteboard*>(data);
    static const zwlr_data_control_offer_v1_listener listener = {
        &DataControlPasteboard::onOfferType};
    auto offer = std::make_unique<Offer>();
    offer->proxy = proxy;
    zwlr_data_control_offer_v1_add_listener(proxy, &listener, offer.get());
    self->offers_.push_back(std::move(offer));
}

void DataControlPasteboard::onOfferType(void* data, zwlr_data_control_offer_v1*,
                                        const char* mimeType) {
    static_cast<Offer*>(data)->formats.append(QString::fromUtf8(mimeType));
}

void DataControlPasteboard::onSelection(void* data, zwlr_data_control_device_v1*,
                                        zwlr_data_control_offer_v1* proxy) {
    auto* self = static_cast<DataControlPasteboard*>(data);
    self->selection_.reset();
    auto found = std::find_if(self->offers_.begin(), self->offers_.end(),
                              [proxy](const auto& offer) { return offer->proxy == proxy; });
    if (found != self->offers_.end()) {
        self->selection_ = std::move(*found);
        self->offers_.erase(found);
    }
}

void DataControlPasteboard::onPrimarySelection(void* data, zwlr_data_control_device_v1*,
                                               zwlr_data_control_offer_v1* proxy) {
    // Only the regular selection is ours to manage.
    auto* self = static_cast<DataControlPasteboard*>(data);
    std::erase_if(self->offers_, [proxy](const auto& offer) { return offer->proxy == proxy; });
}

void DataControlPasteboard::onFinished(void* data, zwlr_data_control_device_v1*) {
    auto* self = static_cast<DataControlPasteboard*>(data);
    Log::line(QStringLiteral("[ClipboardManager] The compositor ended clipboard access"));
    self->offers_.clear();
    self->selection_.reset();
    zwlr_data_control_device_v1_destroy(self->device_);
    self->device_ = nullptr;
}

void DataControlPasteboard::onSend(void* data, zwlr_data_control_source_v1*, const char* mimeType,
                                   int32_t fd) {
    auto* source = static_cast<Source*>(data);
    DataControlPasteboard* self = source->owner;
    const QString format = QString::fromUtf8(mimeType);
    QByteArray bytes;
    for (const Format& entry : source->contents) {
        if (entry.first == format)
            bytes = entry.second;
    }
    PipeWriter::write(fd, bytes, self);
    if (!source->isOfferedText || format == passwordHintFormat)
        return;
    // Every fetch counts for the paste: the target may read only after a clipboard manager.
    if (source->onFetched)
        source->onFetched();
    if (!self->offeredTextFetched_ && !self->sources_.empty() &&
        self->sources_.back().get() == source) {
        self->offeredTextFetched_ = true;
        emit self->fetched();
    }
}

void DataControlPasteboard::onCancelled(void* data, zwlr_data_control_source_v1*) {
    auto* source = static_cast<Source*>(data);
    DataControlPasteboard* self = source->owner;
    const bool wasSelection = !self->sources_.empty() && self->sources_.back().get() == source;
    self->dropSource(source);
    if (wasSelection) {
        self->ownsSelection_ = false;
        emit self->selectionChanged();
    }
}

void DataControlPasteboard::dropSource(Source* source) {
    std::erase_if(sources_, [source](const auto& entry) { return entry.get() == source; });
}

// --- writing -------------------------------------------------------------------------------

void DataControlPasteboard::setSelection(Contents contents, bool isOfferedText,
                                         std::function<void()> onFetched) {
    if (!isAvailable())
        return;
    static const zwlr_data_control_source_v1_listener listener = {
        &DataControlPasteboard::onSend, &DataControlPasteboard::onCancelled};
    auto source = std::make_unique<Source>();
    source->owner = this;
    source->contents = std::move(contents);
    source->isOfferedText = isOfferedText;
    source->onFetched = std::move(onFetched);
    source->proxy = zwlr_data_control_manager_v1_create_data_source(manager_);
    zwlr_data_control_source_v1_add_listener(source->proxy, &listener, source.get());
    for (const Format& format : source->contents) {
        zwlr_data_control_source_v1_offer(source->proxy, format.first.toUtf8().constData());
    }
    zwlr_data_control_device_v1_set_selection(device_, source->proxy);
    sources_.push_back(std::move(source));
    ownsSelection_ = true;
    offeredTextFetched_ = false;
    connection_.flush();
}

void DataControlPasteboard::offerText(const QString& text, std::function<void()> onFetched) {
    Contents contents;
    const QByteArray utf8 = text.toUtf8();
    for (const QString& format : textFormats())
        contents.append({format, utf8});
    // Honoured by KDE's and other clipboard managers: keeps every dictation out of their history.
    contents.append({passwordHintFormat, QByteArrayLiteral("secret")});
    setSelection(std::move(contents), true, std::move(onFetched));
}

void DataControlPasteboard::writeText(const QString& text) {
    offerText(text);
}

void DataControlPasteboard::writeContents(const Contents& contents) {
    if (contents.isEmpty()) {
        clear();
        return;
    }
    setSelection(contents, false, {});
}

void DataControlPasteboard::clear() {
    if (!isAvailable())
        return;
    zwlr_data_control_device_v1_set_selection(device_, nullptr);
    ownsSelection_ = false;
    connection_.flush();
}

// --- reading -------------------------------------------------------------------------------

QStringList DataControlPasteboard::selectionFormats() const {
    return selection_ ? selection_->formats : QStringList{};
}

std::unique_ptr<SelectionReader> DataControlPasteboard::readSelection(
    std::chrono::milliseconds time, qsizetype bytes, const QStringList& formats) const {
    auto reader = std::make_unique<SelectionReader>(QDeadlineTimer(time), bytes);
    if (formats.size() > kMaxFormats) {
        Log::line(QStringLiteral("[ClipboardManager] The clipboard offers %1 formats: reading the "
                                 "first %2, not saving the other %3")
                      .arg(formats.size())
                      .arg(kMaxFormats)
                      .arg(formats.size() - kMaxFormats));
    }
    for (qsizetype i = 0; i < formats.size(); ++i) {
        const QString& format = formats[i];
        int fds[2];
        if (i >= kMaxFormats || ::pipe2(fds, O_CLOEXEC) != 0) {
            reader->leaveOut(format);
            continue;
        }
        zwlr_data_control_offer_v1_receive(selection_->proxy, format.toUtf8().constData(), fds[1]);
        ::close(fds[1]);
        reader->add(format, fds[0]);
    }
    connection_.flush();
    return reader;
}

std::optional<Pasteboard::Contents> DataControlPasteboard::contents() const {
    if (!isAvailable())
        return std::nullopt;
    connection_.dispatchPending();
    if (ownsSelection_)
        return sources_.back()->contents;
    if (!selection_)
        return Contents{};
    auto reader =
        readSelection(kBlockingBudget, SelectionReader::kMaxTotalBytes, selection_->formats);
    reader->readBlocking();
    if (!reader->incomplete().isEmpty()) {
        Log::line(
            QStringLiteral("[ClipboardManager] Clipboard formats not saved (no answer in time "
                           "or too large): %1")
                .arg(reader->incomplete().join(QStringLiteral(", "))));
    }
    return reader->contents();
}

QString DataControlPasteboard::text() const {
    if (!isAvailable())
        return {};
    connection_.dispatchPending();
    if (ownsSelection_) {
        for (const Format& format : sources_.back()->contents) {
            if (textFormats().contains(format.first))
                return QString::fromUtf8(format.second);
        }
        return {};
    }
    if (!selection_)
        return {};
    for (const QString& format : textFormats()) {
        if (!selection_->formats.contains(format))
            continue;
        auto reader = readSelection(kBlockingBudget, SelectionReader::kMaxTotalBytes, {format});
        reader->readBlocking();
        const Contents read = reader->contents();
        return read.isEmpty() ? QString() : QString::fromUtf8(read.first().second);
    }
    return {};
}

QCoro::Task<Pasteboard::Saved> DataControlPasteboard::saveContents(Budget budget) {
    if (!isAvailable())
        co_return Saved{};
    connection_.dispatchPending();
    if (ownsSelection_)
        co_return Saved{sources_.back()->contents, {}};
    if (!selection_)
        co_return Saved{Contents{}, {}};
    std::unique_ptr<SelectionReader> reader =
        readSelection(budget.time, budget.bytes, selection_->formats);
    reader->start();
    if (!reader->isFinished())
        co_await qCoro(reader.get(), &SelectionReader::finished);
    co_return Saved{reader->contents(), reader->givenUp()};
}

// --- the port ------------------------------------------------------------------------------

QCoro::Task<Pasteboard::Saved> DataControlPasteboard::save(Selection selection, Budget budget) {
    if (selection == Selection::Primary)
        co_return Saved{};
    co_return co_await saveContents(budget);
}

bool DataControlPasteboard::offerText(Selection selection, const QString& text,
                                      std::function<void()> fetched) {
    if (selection == Selection::Primary || !isAvailable())
        return false;
    offerText(text, std::move(fetched));
    return true;
}

bool DataControlPasteboard::stillOffers(Selection selection) const {
    if (selection == Selection::Primary || !isAvailable())
        return false;
    connection_.dispatchPending();
    return ownsSelection_ && !sources_.empty() && sources_.back()->isOfferedText;
}

void DataControlPasteboard::restore(Selection selection, const Contents& contents) {
    if (selection == Selection::Clipboard)
        writeContents(contents);
}
