#include "datasource/mLib.h"
