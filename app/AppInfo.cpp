#include "app/AppInfo.h"
