#include "rules/RulesTable.h"
