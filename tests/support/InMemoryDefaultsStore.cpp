#include "support/InMemoryDefaultsStore.h"

InMemoryDefaultsStore& InMemoryDefaultsStore::sharedForTests() {
    static InMemoryDefaultsStore store;
    return store;
}

std::optional<DefaultsStore::Value> InMemoryDefaultsStore::value(const QString& key) const {
    const auto it = values_.constFind(key);
    if (it == values_.constEnd()) {
        return std::nullopt;
    }
    return *it;
}
