#include "unitACConvertor.h"
