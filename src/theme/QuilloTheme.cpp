#include "theme/QuilloTheme.h"
