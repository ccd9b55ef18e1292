#include "project/ProgramPaths.h"
