#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// The microphones the sound server offers, kept up to date as devices come and go, and a
// level meter on one of them for the settings window. Main thread only.
class AudioSourceList : public QObject {
    Q_OBJECT
public:
    struct Source {
        QByteArray name;      // the server's stable name, as stored in "input_device"
        QString description;  // what the user reads
        friend bool operator==(const Source&, const Source&) = default;
    };

    using QObject::QObject;
    ~AudioSourceList() override = default;

    // Inputs only: monitors of outputs are left out. In the server's order.
    virtual QList<Source> sources() const = 0;

    // Measures the input level of `name` (empty: the server's default source) until
    // stopLevelMeter(); levels arrive through levelChanged.
    virtual void startLevelMeter(const QByteArray& name) = 0;
    virtual void stopLevelMeter() = 0;

signals:
    void sourcesChanged();
    // Peak level between 0 and 1, some twenty times a second while the meter runs.
    void levelChanged(float level);
};
