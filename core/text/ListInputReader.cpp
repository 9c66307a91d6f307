#include "text/ListInputReader.h"
