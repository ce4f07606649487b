#include "platform/DefaultsStore.h"

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// A string reads as true the way the platform's own preferences do: "YES", "true" or a
// non-zero number, ignoring case.
bool stringAsBoolean(const QString& s) {
    const QString t = s.trimmed();
    if (t.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
        t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    return ok && n != 0;
}

}  // namespace

std::optional<QString> DefaultsStore::string(const QString& key) const {
    const auto v = value(key);
    if (v && std::holds_alternative<QString>(*v)) {
        return std::get<QString>(*v);
    }
    return std::nullopt;
}

bool DefaultsStore::boolean(const QString& key) const {
    const auto v = value(key);
    if (!v) {
        return false;
    }
    return std::visit(Overloaded{[](const QString& s) { return stringAsBoolean(s); },
                                 [](bool b) { return b; }, [](qint64 n) { return n != 0; },
                                 [](const QByteArray&) { return false; }},
                      *v);
}

qint64 DefaultsStore::integer(const QString& key) const {
    const auto v = value(key);
    if (!v) {
        return 0;
    }
    return std::visit(Overloaded{[](const QString& s) {
                                     bool ok = false;
                                     const qint64 n = s.trimmed().toLongLong(&ok);
                                     return ok ? n : qint64(0);
                                 },
                                 [](bool b) { return qint64(b ? 1 : 0); },
                                 [](qint64 n) { return n; },
                                 [](const QByteArray&) { return qint64(0); }},
                      *v);
}

std::optional<QByteArray> DefaultsStore::data(const QString& key) const {
    const auto v = value(key);
    if (v && std::holds_alternative<QByteArray>(*v)) {
        return std::get<QByteArray>(*v);
    }
    return std::nullopt;
}
