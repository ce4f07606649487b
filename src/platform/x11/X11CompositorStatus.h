#pragma once

#include "platform/CompositorStatus.h"

#include <QtGlobal>

struct xcb_connection_t;

// Asks the X server whether the compositing-manager selection of the default screen has an
// owner. Uses its own connection so it works under any Qt platform plugin.
class X11CompositorStatus final : public CompositorStatus {
public:
    X11CompositorStatus();
    ~X11CompositorStatus() override;
    X11CompositorStatus(const X11CompositorStatus&) = delete;
    X11CompositorStatus& operator=(const X11CompositorStatus&) = delete;

    // False when there is no X display.
    bool isCompositing() const override;

private:
    xcb_connection_t* connection_ = nullptr;
    quint32 selectionAtom_ = 0;
};
