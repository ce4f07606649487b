#pragma once

#include "base/Scheduler.h"
#include "platform/Pasteboard.h"

#include <QStringList>

// A clipboard and primary selection in memory. The test plays the other programs: it copies
// (copyFromElsewhere), fetches what was offered (fetchOffered), and sets what a save returns.
class FakePasteboard final : public Pasteboard {
public:
    struct State {
        Contents current;
        bool readable = true;    // false: save() finds nothing readable at all
        QList<GivenUp> givenUp;  // what save() reports as left out
        bool offered = false;    // still holds the last offered text
        std::function<void()> fetched;
    };

    explicit FakePasteboard(Scheduler* clock = nullptr) : clock_(clock) {}

    QCoro::Task<Saved> save(Selection selection, Budget budget) override;
    bool offerText(Selection selection, const QString& text,
                   std::function<void()> fetched) override;
    bool stillOffers(Selection selection) const override;
    void restore(Selection selection, const Contents& contents) override;

    // What another application's copy would leave.
    void copyFromElsewhere(const Contents& contents, Selection selection = Selection::Clipboard);
    // A program reads the offered text, as the paste target does after the chord.
    void fetchOffered(Selection selection = Selection::Clipboard);
    // The plain text of the selection; empty when it holds none.
    QString text(Selection selection = Selection::Clipboard) const;

    State& operator[](Selection selection) { return of(selection); }
    State clipboard;
    State primary;
    Contents& current = clipboard.current;
    bool refusesOffer = false;
    Scheduler::Duration saveTakes{0};  // how long each save() takes on the clock
    int writes = 0;
    QList<Budget> budgetsAsked;
    QStringList fetchedTexts;

private:
    State& of(Selection selection) {
        return selection == Selection::Clipboard ? clipboard : primary;
    }
    const State& of(Selection selection) const {
        return selection == Selection::Clipboard ? clipboard : primary;
    }

    Scheduler* clock_;
};
