#include "hamlog/RecordLibrary.h"
