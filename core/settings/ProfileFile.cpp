#include "settings/ProfileFile.h"
