#include "project/IniFile.h"
