#include "platform/SessionNotes.h"

namespace {

struct Notes {
    QStringList limitationIds;
    SessionNotes::BindingLines bindingLines;
};

Notes& notes() {
    static Notes instance;
    return instance;
}

}  // namespace

void SessionNotes::install(QStringList limitationIds, BindingLines bindingLines) {
    notes() = {std::move(limitationIds), std::move(bindingLines)};
}

void SessionNotes::reset() {
    notes() = {};
}

QStringList SessionNotes::limitationIds() {
    return notes().limitationIds;
}

QStringList SessionNotes::bindingLines(int keyCode, int carbonModifiers) {
    return notes().bindingLines ? notes().bindingLines(keyCode, carbonModifiers) : QStringList{};
}

bool SessionNotes::needsBindingLines() {
    return static_cast<bool>(notes().bindingLines);
}
