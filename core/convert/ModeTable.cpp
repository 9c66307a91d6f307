#include "convert/ModeTable.h"
