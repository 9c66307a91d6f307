#include "convert/ConversionRun.h"
