#include "convert/AdifWriter.h"
