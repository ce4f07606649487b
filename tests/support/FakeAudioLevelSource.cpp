#include "support/FakeAudioLevelSource.h"
