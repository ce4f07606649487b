#include "support/FakePasteboard.h"

#include "base/Scheduler.h"

QCoro::Task<Pasteboard::Saved> FakePasteboard::save(Selection selection, Budget budget) {
    budgetsAsked.append(budget);
    if (clock_ != nullptr && saveTakes > Scheduler::Duration(0)) {
        co_await clock_->sleep(saveTakes);
    }
    const State& state = of(selection);
    Saved saved;
    if (state.readable) {
        saved.contents = state.current;
    }
    saved.givenUp = state.givenUp;
    co_return saved;
}

bool FakePasteboard::offerText(Selection selection, const QString& text,
                               std::function<void()> fetched) {
    if (refusesOffer) {
        return false;
    }
    ++writes;
    State& state = of(selection);
    state.current = {{QStringLiteral("text/plain"), text.toUtf8()},
                     {QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret")}};
    state.offered = true;
    state.fetched = std::move(fetched);
    return true;
}

bool FakePasteboard::stillOffers(Selection selection) const {
    return of(selection).offered;
}

void FakePasteboard::restore(Selection selection, const Contents& contents) {
    ++writes;
    State& state = of(selection);
    state.current = contents;
    state.offered = false;
    state.fetched = {};
}

void FakePasteboard::copyFromElsewhere(const Contents& contents, Selection selection) {
    State& state = of(selection);
    state.current = contents;
    state.offered = false;
    state.fetched = {};
}

void FakePasteboard::fetchOffered(Selection selection) {
    State& state = of(selection);
    fetchedTexts.append(text(selection));
    if (state.fetched) {
        state.fetched();
    }
}

QString FakePasteboard::text(Selection selection) const {
    for (const Format& format : of(selection).current) {
        if (format.first == QLatin1String("text/plain")) {
            return QString::fromUtf8(format.second);
        }
    }
    return {};
}
