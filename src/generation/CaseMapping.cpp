#include "generation/CaseMapping.h"
