#include "support/FakeAudioSourceList.h"
