#pragma once

#include "platform/DefaultsStore.h"

#include <QMap>

// A store that lives in memory, for tests.
class InMemoryDefaultsStore final : public DefaultsStore {
public:
    // The store behind AppSettings::shared() in the test executables.
    static InMemoryDefaultsStore& sharedForTests();

    std::optional<Value> value(const QString& key) const override;
    bool setValue(const QString& key, const Value& value) override {
        values_.insert(key, value);
        return true;
    }
    bool remove(const QString& key) override {
        values_.remove(key);
        return true;
    }
    QStringList keys() const override { return values_.keys(); }

    void clear() { values_.clear(); }

private:
    QMap<QString, Value> values_;
};
