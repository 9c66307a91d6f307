#include "convert/DateTime.h"
