#include "generation/OutputNaming.h"
