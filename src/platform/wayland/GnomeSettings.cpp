#include "platform/wayland/GnomeSettings.h"

// GIO names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#define G_SETTINGS_ENABLE_BACKEND  // for the name of the backend in use
#include <gio/gsettingsbackend.h>
#pragma pop_macro("signals")

#include <utility>

namespace {

GSettingsSchema* lookup(const QString& schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source)
        return nullptr;
    return g_settings_schema_source_lookup(source, schemaId.toUtf8().constData(), TRUE);
}

bool keyOfType(GSettings* settings, const QString& key, const GVariantType* type) {
    if (!settings)
        return false;
    GSettingsSchema* schema = nullptr;
    g_object_get(settings, "settings-schema", &schema, nullptr);
    if (!schema)
        return false;
    bool matches = false;
    const QByteArray name = key.toUtf8();
    if (g_settings_schema_has_key(schema, name.constData())) {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, name.constData());
        matches = g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey), type);
        g_settings_schema_key_unref(schemaKey);
    }
    g_settings_schema_unref(schema);
    return matches;
}

void onSettingsChanged(GSettings*, const char* key, gpointer data) {
    (*static_cast<GnomeSettings::Changed*>(data))(QString::fromUtf8(key));
}

}  // namespace

GnomeSettings::GnomeSettings(const QString& schemaId, const QString& path) : schemaId_(schemaId) {
    // GIO aborts on a malformed path, and a list written by another program may hold one.
    if (!path.isEmpty() && (!path.startsWith(QLatin1Char('/')) ||
                            !path.endsWith(QLatin1Char('/')) || path.contains(QLatin1String("//"))))
        return;
    GSettingsSchema* schema = lookup(schemaId);
    if (!schema)
        return;
    const QByteArray pathBytes = path.toUtf8();
    // A relocatable schema without a path, or a fixed one with a foreign path, aborts in GIO.
    const char* fixedPath = g_settings_schema_get_path(schema);
    if ((fixedPath == nullptr) == path.isEmpty()) {
        g_settings_schema_unref(schema);
        return;
    }
    settings_ =
        g_settings_new_full(schema, nullptr, path.isEmpty() ? nullptr : pathBytes.constData());
    g_settings_schema_unref(schema);
}

GnomeSettings::~GnomeSettings() {
    disconnect();
    if (settings_)
        g_object_unref(settings_);
}

GnomeSettings::GnomeSettings(GnomeSettings&& other) noexcept
    : schemaId_(std::move(other.schemaId_)),
      settings_(std::exchange(other.settings_, nullptr)),
      changed_(std::move(other.changed_)),
      handlerId_(std::exchange(other.handlerId_, 0)) {}

GnomeSettings& GnomeSettings::operator=(GnomeSettings&& other) noexcept {
    if (this != &other) {
        disconnect();
        if (settings_)
            g_object_unref(settings_);
        schemaId_ = std::move(other.schemaId_);
        settings_ = std::exchange(other.settings_, nullptr);
        changed_ = std::move(other.changed_);
        handlerId_ = std::exchange(other.handlerId_, 0);
    }
    return *this;
}

bool GnomeSettings::isInstalled(const QString& schemaId) {
    GSettingsSchema* schema = lookup(schemaId);
    if (!schema)
        return false;
    g_settings_schema_unref(schema);
    return true;
}

void GnomeSettings::sync() {
    g_settings_sync();
}

QString GnomeSettings::backendName() {
    GSettingsBackend* backend = g_settings_backend_get_default();
    const QString name = QString::fromLatin1(G_OBJECT_TYPE_NAME(backend));
    g_object_unref(backend);
    return name;
}

QStringList GnomeSettings::keys() const {
    QStringList result;
    if (!settings_)
        return result;
    GSettingsSchema* schema = nullptr;
    g_object_get(settings_, "settings-schema", &schema, nullptr);
    if (!schema)
        return result;
    gchar** names = g_settings_schema_list_keys(schema);
    for (gchar** name = names; name && *name; ++name)
        result.append(QString::fromUtf8(*name));
    g_strfreev(names);
    g_settings_schema_unref(schema);
    return result;
}

bool GnomeSettings::hasKey(const QString& key) const {
    return keys().contains(key);
}

QString GnomeSettings::summary(const QString& key) const {
    if (!settings_)
        return {};
    GSettingsSchema* schema = nullptr;
    g_object_get(settings_, "settings-schema", &schema, nullptr);
    if (!schema)
        return {};
    QString text;
    const QByteArray name = key.toUtf8();
    if (g_settings_schema_has_key(schema, name.constData())) {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, name.constData());
        text = QString::fromUtf8(g_settings_schema_key_get_summary(schemaKey)).simplified();
        g_settings_schema_key_unref(schemaKey);
    }
    g_settings_schema_unref(schema);
    return text;
}

QStringList GnomeSettings::strings(const QString& key) const {
    QStringList result;
    if (keyOfType(settings_, key, G_VARIANT_TYPE_STRING)) {
        result.append(string(key));
    } else if (keyOfType(settings_, key, G_VARIANT_TYPE_STRING_ARRAY)) {
        gchar** values = g_settings_get_strv(settings_, key.toUtf8().constData());
        for (gchar** value = values; value && *value; ++value)
            result.append(QString::fromUtf8(*value));
        g_strfreev(values);
    }
    return result;
}

QString GnomeSettings::string(const QString& key) const {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_STRING))
        return {};
    gchar* value = g_settings_get_string(settings_, key.toUtf8().constData());
    const QString result = QString::fromUtf8(value);
    g_free(value);
    return result;
}

QList<QPair<QString, QString>> GnomeSettings::stringPairs(const QString& key) const {
    QList<QPair<QString, QString>> result;
    if (!keyOfType(settings_, key, G_VARIANT_TYPE("a(ss)")))
        return result;
    GVariant* value = g_settings_get_value(settings_, key.toUtf8().constData());
    GVariantIter iter;
    g_variant_iter_init(&iter, value);
    const gchar* first = nullptr;
    const gchar* second = nullptr;
    while (g_variant_iter_next(&iter, "(&s&s)", &first, &second))
        result.append({QString::fromUtf8(first), QString::fromUtf8(second)});
    g_variant_unref(value);
    return result;
}

quint32 GnomeSettings::unsignedInt(const QString& key) const {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_UINT32))
        return 0;
    return g_settings_get_uint(settings_, key.toUtf8().constData());
}

bool GnomeSettings::boolean(const QString& key) const {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_BOOLEAN))
        return false;
    return g_settings_get_boolean(settings_, key.toUtf8().constData());
}

bool GnomeSettings::setString(const QString& key, const QString& value) {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_STRING))
        return false;
    return g_settings_set_string(settings_, key.toUtf8().constData(), value.toUtf8().constData());
}

bool GnomeSettings::setStringList(const QString& key, const QStringList& values) {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_STRING_ARRAY))
        return false;
    QList<QByteArray> bytes;
    for (const QString& value : values)
        bytes.append(value.toUtf8());
    QList<const gchar*> pointers;
    for (const QByteArray& value : bytes)
        pointers.append(value.constData());
    pointers.append(nullptr);
    return g_settings_set_strv(settings_, key.toUtf8().constData(), pointers.constData());
}

bool GnomeSettings::setUnsignedInt(const QString& key, quint32 value) {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_UINT32))
        return false;
    return g_settings_set_uint(settings_, key.toUtf8().constData(), value);
}

bool GnomeSettings::setBoolean(const QString& key, bool value) {
    if (!keyOfType(settings_, key, G_VARIANT_TYPE_BOOLEAN))
        return false;
    return g_settings_set_boolean(settings_, key.toUtf8().constData(), value);
}

void GnomeSettings::reset(const QString& key) {
    if (settings_ && hasKey(key))
        g_settings_reset(settings_, key.toUtf8().constData());
}

void GnomeSettings::onChanged(Changed changed) {
    disconnect();
    if (!settings_ || !changed)
        return;
    changed_ = std::make_unique<Changed>(std::move(changed));
    handlerId_ =
        g_signal_connect(settings_, "changed", G_CALLBACK(onSettingsChanged), changed_.get());
}

void GnomeSettings::disconnect() {
    if (settings_ && handlerId_)
        g_signal_handler_disconnect(settings_, handlerId_);
    handlerId_ = 0;
    changed_.reset();
}
