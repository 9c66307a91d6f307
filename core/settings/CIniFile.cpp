#include "settings/CIniFile.h"
