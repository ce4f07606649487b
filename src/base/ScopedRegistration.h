#pragma once

#include <functional>

// Owns one registration with the system (a grab, an installed handler, a subscription):
// destroying or resetting it undoes the registration. An empty one stands for "none".
class ScopedRegistration {
public:
    ScopedRegistration() = default;
    explicit ScopedRegistration(std::function<void()> release) : release_(std::move(release)) {}
    ScopedRegistration(ScopedRegistration&& other) noexcept;
    ScopedRegistration& operator=(ScopedRegistration&& other) noexcept;
    ScopedRegistration(const ScopedRegistration&) = delete;
    ScopedRegistration& operator=(const ScopedRegistration&) = delete;
    ~ScopedRegistration() { reset(); }

    void reset();
    bool isSet() const { return static_cast<bool>(release_); }
    explicit operator bool() const { return isSet(); }

private:
    std::function<void()> release_;
};
