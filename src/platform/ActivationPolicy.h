#pragma once

// Whether Quillo's windows show in the taskbar and task switcher (regular) or not (accessory,
// a tray-only utility).
class ActivationPolicy {
public:
    enum class Policy { regular, accessory };

    virtual ~ActivationPolicy() = default;
    virtual void setPolicy(Policy policy) = 0;
    virtual Policy policy() const = 0;
};
