#include "settings/JobRegistry.h"
