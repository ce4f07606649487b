#include "support/FakeCompositorStatus.h"
