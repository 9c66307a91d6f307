#include "CliRunner.h"
