#include "generation/ContentReport.h"
