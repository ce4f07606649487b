#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

using GSettings = struct _GSettings;

// One GSettings object of GIO (the settings GNOME's desktop reads, in dconf), owned: opening a
// schema that is not installed gives an invalid object instead of GIO's abort, and every read
// of an invalid object gives the empty value.
class GnomeSettings {
public:
    using Changed = std::function<void(const QString& key)>;

    // Invalid when the schema is not installed; `path` for a relocatable schema.
    explicit GnomeSettings(const QString& schemaId, const QString& path = {});
    ~GnomeSettings();
    GnomeSettings(GnomeSettings&& other) noexcept;
    GnomeSettings& operator=(GnomeSettings&& other) noexcept;
    GnomeSettings(const GnomeSettings&) = delete;
    GnomeSettings& operator=(const GnomeSettings&) = delete;

    static bool isInstalled(const QString& schemaId);
    // Waits until every change made so far is stored: writes go out asynchronously, and a
    // process that exits first loses them.
    static void sync();
    // The type of GIO's settings backend in this process ("DConfSettingsBackend" on a desktop,
    // "GMemorySettingsBackend" when GSETTINGS_BACKEND=memory).
    static QString backendName();

    bool isValid() const { return settings_ != nullptr; }
    QString schemaId() const { return schemaId_; }
    QStringList keys() const;
    bool hasKey(const QString& key) const;
    // The key's one-line description from its schema, as GNOME's own tools show it; empty when
    // the schema gives none.
    QString summary(const QString& key) const;

    // A string key as one value, a string-list key as its values; empty for other types.
    QStringList strings(const QString& key) const;
    QString string(const QString& key) const;
    // A key of pairs of strings (type a(ss)); empty for other types.
    QList<QPair<QString, QString>> stringPairs(const QString& key) const;
    quint32 unsignedInt(const QString& key) const;
    bool boolean(const QString& key) const;

    // False when the key is missing, of another type, or not writable.
    bool setString(const QString& key, const QString& value);
    bool setStringList(const QString& key, const QStringList& values);
    bool setUnsignedInt(const QString& key, quint32 value);
    bool setBoolean(const QString& key, bool value);
    void reset(const QString& key);

    // Runs on the main loop whenever a key changes, here or in another process; one at a time.
    void onChanged(Changed changed);

private:
    void disconnect();

    QString schemaId_;
    GSettings* settings_ = nullptr;
    std::unique_ptr<Changed> changed_;
    unsigned long handlerId_ = 0;
};
