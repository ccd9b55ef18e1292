#include "project/ProjectFile.h"
