#include "settings/JobSettings.h"
