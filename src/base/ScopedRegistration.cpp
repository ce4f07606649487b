#include "base/ScopedRegistration.h"

#include <utility>

ScopedRegistration::ScopedRegistration(ScopedRegistration&& other) noexcept
    : release_(std::exchange(other.release_, {})) {}

ScopedRegistration& ScopedRegistration::operator=(ScopedRegistration&& other) noexcept {
    if (this != &other) {
        reset();
        release_ = std::exchange(other.release_, {});
    }
    return *this;
}

void ScopedRegistration::reset() {
    // Cleared before the call so that a release that re-enters sees an empty registration.
    auto release = std::exchange(release_, {});
    if (release) release();
}
