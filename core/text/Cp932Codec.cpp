#include "text/Cp932Codec.h"
