#pragma once

#include "platform/Pasteboard.h"

#include <QObject>

#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <memory>

class WaylandConnection;
struct zwlr_data_control_device_v1;
struct zwlr_data_control_manager_v1;
struct zwlr_data_control_offer_v1;
struct zwlr_data_control_source_v1;

// The Wayland clipboard (the seat's regular selection) through the data-control protocol, which
// needs no window and no keyboard focus: the compositor tells us every new selection and lets us
// read and set it. Another client's formats are read through pipes within a budget; what we offer
// is answered from memory for as long as we own the selection, so clipboard managers and the
// paste target can read it at any time.
class DataControlPasteboard final : public QObject, public Pasteboard {
    Q_OBJECT
public:
    // contents() and text() block the caller up to this long.
    static constexpr std::chrono::milliseconds kBlockingBudget{300};
    static constexpr Budget kSaveBudget{std::chrono::milliseconds(1000), 64 * 1024 * 1024};
    // Formats read from another client's selection: each costs a pipe, and real applications
    // offer a few dozen at most.
    static constexpr qsizetype kMaxFormats = 100;

    explicit DataControlPasteboard(WaylandConnection& connection, QObject* parent = nullptr);
    ~DataControlPasteboard() override;

    // The compositor offers data control and a seat.
    bool isAvailable() const;

    // The clipboard is served; the primary selection is not (the paste chord on Wayland is
    // always Control+V, which pastes the clipboard), so it reads as absent and cannot be taken.
    QCoro::Task<Saved> save(Selection selection, Budget budget) override;
    bool offerText(Selection selection, const QString& text,
                   std::function<void()> fetched) override;
    bool stillOffers(Selection selection) const override;
    void restore(Selection selection, const Contents& contents) override;

    // The clipboard read at once, blocking up to kBlockingBudget.
    std::optional<Contents> contents() const;
    QString text() const;
    void clear();
    void writeText(const QString& text);
    void writeContents(const Contents& contents);

    // Every format of the current selection with its bytes, read while the event loop runs.
    // Absent when there is no data control; formats that do not fit the budget are left out.
    QCoro::Task<Saved> saveContents(Budget budget = kSaveBudget);
    // Makes the text the selection, marked so that clipboard managers keep it out of their
    // history; fetched() and `onFetched` tell when a client reads it.
    void offerText(const QString& text, std::function<void()> onFetched = {});
    // A client has read the text of the current offerText() (clipboard managers count too).
    bool offeredTextFetched() const { return offeredTextFetched_; }

    // The plain-text types we offer text under, the preferred one first.
    static QStringList textFormats();

signals:
    // A client read the offered text.
    void fetched();
    // Another client took the selection.
    void selectionChanged();

private:
    struct Offer;
    struct Source;
    static void onDataOffer(void* data, zwlr_data_control_device_v1*,
                            zwlr_data_control_offer_v1* offer);
    static void onSelection(void* data, zwlr_data_control_device_v1*,
                            zwlr_data_control_offer_v1* offer);
    static void onFinished(void* data, zwlr_data_control_device_v1*);
    static void onPrimarySelection(void* data, zwlr_data_control_device_v1*,
                                   zwlr_data_control_offer_v1* offer);
    static void onOfferType(void* data, zwlr_data_control_offer_v1* offer, const char* mimeType);
    static void onSend(void* data, zwlr_data_control_source_v1* source, const char* mimeType,
                       int32_t fd);
    static void onCancelled(void* data, zwlr_data_control_source_v1* source);

    void setSelection(Contents contents, bool isOfferedText, std::function<void()> onFetched);
    // Starts reading every format of the current foreign selection; null when there is none.
    std::unique_ptr<class SelectionReader> readSelection(std::chrono::milliseconds time,
                                                         qsizetype bytes,
                                                         const QStringList& formats) const;
    QStringList selectionFormats() const;
    void dropSource(Source* source);

    WaylandConnection& connection_;
    zwlr_data_control_manager_v1* manager_ = nullptr;
    zwlr_data_control_device_v1* device_ = nullptr;
    std::vector<std::unique_ptr<Offer>> offers_;    // announced, not yet the selection
    std::unique_ptr<Offer> selection_;              // another client's current selection
    std::vector<std::unique_ptr<Source>> sources_;  // ours, the last one the selection
    bool ownsSelection_ = false;
    bool offeredTextFetched_ = false;
};
