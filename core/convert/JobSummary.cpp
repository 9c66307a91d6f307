#include "convert/JobSummary.h"
