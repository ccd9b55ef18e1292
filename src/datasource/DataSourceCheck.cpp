#include "datasource/DataSourceCheck.h"
